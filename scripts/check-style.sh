#!/usr/bin/env bash
# Fails when clang-format would change a file or when Qt leaks below src/ui.
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
clang-format --dry-run --Werror $files

leaks=$(grep -nE '#\s*include\s*[<"]Q' $(git ls-files 'src/model/*' 'src/engine/*' 'src/view/*' 'src/run/*' 'src/python/*') || true)
if [ -n "$leaks" ]; then
  echo "Qt headers outside src/ui:" >&2
  echo "$leaks" >&2
  exit 1
fi
# Layers include only downward: model <- engine <- view <- ui, and the
# headless runner sits on the engine beside the view: model <- engine <- run. The build
# enforces this for sources; this also catches a header that no source of its
# own layer includes.
upward() {  # folder, then the folders it must not include
  local folder=$1
  shift
  local pattern
  pattern=$(printf '|%s/' "$@")
  git ls-files "src/$folder/*" | xargs grep -nE "#\s*include\s*\"(${pattern#|})" || true
}
layering=$(upward model engine view ui run python; upward engine view ui run python; upward view ui run python
  upward run view ui python; upward python view ui)
if [ -n "$layering" ]; then
  echo "Includes against the layers (model <- engine <- view <- ui):" >&2
  echo "$layering" >&2
  exit 1
fi
echo "style: ok"
