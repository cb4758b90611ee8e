#!/usr/bin/env bash
# Fails when a tracked C++ file is not as clang-format (.clang-format at the top) would write it.
#
#   tools/check_format.sh         check; prints the files that differ
#   tools/check_format.sh --fix   rewrite them in place
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.h.in')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=0
for file in "${files[@]}"; do
  if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "unformatted: $file"
    bad=$((bad + 1))
  fi
done
if [ "$bad" -gt 0 ]; then
  echo "check_format: $bad file(s) differ from clang-format; run tools/check_format.sh --fix"
  exit 1
fi
echo "check_format: ${#files[@]} files formatted"
