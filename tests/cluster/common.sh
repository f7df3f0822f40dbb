# Shared by the cluster tests: the README's examples as the README holds
# them, the sweep's input, and the check that every output of a sweep is the
# output of the same command run here without the cluster.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${VORUN_BUILD:-$root/build}

# Installs the Debian packages given that are missing.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
  fi
}

# The fenced code block that follows the line "<!-- $1 -->" in README.md,
# without its fences. Fails when there is none, so that a README that lost
# its example fails the test instead of testing nothing.
readme_block() {
  local block
  block=$(awk -v mark="<!-- $1 -->" '
    $0 == mark { found = 1; next }
    found == 1 && /^```/ { found = 2; next }
    found == 2 && /^```/ { exit }
    found == 2 { print }' "$root/README.md")
  if [ -z "$block" ]; then
    echo "README.md has no code block after <!-- $1 -->" >&2
    return 1
  fi
  printf '%s\n' "$block"
}

# ring.tvx: four taons on a ring in the x-z plane, two in each parameter
# set, made from text with vorun-ensemble, so that the sweep needs no file
# from elsewhere. Few taons keep the hundred runs of 10000 steps short.
make_ring() {
  cat > "$1/ring.csv" <<'CSV'
name,value
dt,0x1p-10
A1,1
B1,2.718
C1,5
D1,10
F1,20
A2,0.5
B2,2.718
C2,5
D2,10
F2,20

slot,exists,x,y,z,u,v,w
1,1,1,0,0,0,0,0.5
2,1,0,0,1,-0.5,0,0
31,1,-1,0,0,0,0,-0.5
32,1,0,0,-1,0.5,0,0
CSV
  "$build/vorun-ensemble" make "$1/ring.csv" -o "$1/ring.tvx"
}

# Runs "$2" in folder $1 once for each word on standard input, with the
# word in the variable named $3, as many at a time as there are cores.
run_each() {
  local folder=$1 script=$2 variable=$3
  xargs -P "$(nproc)" -I WORD env "$variable=WORD" bash -c 'cd "$0" && bash "$1"' "$folder" "$script"
}

# Every output of the sweep in $1/out against the same command run in $2
# without the cluster: the records byte for byte, the summaries but for the
# wall time. $3 is how many there must be; $4 turns a task's number into
# the value of A1 it was given, for a look at the value each record holds.
compare_sweep() {
  local cluster=$1 local_run=$2 count=$3 found=0 f name value
  for f in "$cluster"/out/*.tvx; do
    name=$(basename "$f" .tvx)
    # Called as a condition, where set -e does not act: each check returns.
    cmp "$f" "$local_run/out/$name.tvx" || return 1
    cmp <(grep -v '"wallSeconds"' "$cluster/out/$name.json") \
      <(grep -v '"wallSeconds"' "$local_run/out/$name.json") || return 1
    found=$((found + 1))
  done
  if [ "$found" -ne "$count" ]; then
    echo "the sweep gave $found records, not $count" >&2
    return 1
  fi
  # The sweep did sweep: each record holds its own A1, and no two are alike.
  for f in "$cluster"/out/*.tvx; do
    name=$(basename "$f" .tvx)
    value=$("$build/vorun-ensemble" show "$f" --format csv | sed -n 's/^A1,//p')
    awk -v v="$value" -v want="$($4 "${name#ring-}")" \
      'BEGIN { d = v - want; if (d < 0) d = -d; exit !(d < 1e-15) }' || {
      echo "$f holds A1 = $value" >&2
      return 1
    }
  done
  if [ "$(for f in "$cluster"/out/*.tvx; do md5sum < "$f"; done | sort -u | wc -l)" -ne "$count" ]; then
    echo "two records of the sweep are identical" >&2
    return 1
  fi
}
