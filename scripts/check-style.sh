#!/usr/bin/env bash
# Fails when clang-format would change a file or when Qt leaks below src/ui.
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
clang-format --dry-run --Werror $files

leaks=$(grep -nE '#\s*include\s*[<"]Q' $(git ls-files 'src/model/*' 'src/engine/*' 'src/view/*') || true)
if [ -n "$leaks" ]; then
  echo "Qt headers outside src/ui:" >&2
  echo "$leaks" >&2
  exit 1
fi
echo "style: ok"
