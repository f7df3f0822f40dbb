#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, builds Vorun and then either
# starts the program (./setup.sh run) or runs every test (./setup.sh test).
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake g++ pkg-config qt6-base-dev qt6-charts-dev qt6-svg-dev libgtest-dev libbenchmark-dev libmpfr-dev
  libcli11-dev nlohmann-json3-dev nettle-dev clang-format locales clang libclang-rt-14-dev desktop-file-utils appstream
  shared-mime-info zlib1g-dev python3-dev pybind11-dev python3-numpy python3-pytest python3-pandas python3-matplotlib
  python3-distributed)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"

case "${1:-run}" in
  run) exec ./build/vorun ;;
  test) ctest --test-dir build --output-on-failure -j "$(nproc)" ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
