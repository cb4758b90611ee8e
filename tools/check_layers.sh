#!/usr/bin/env bash
# Fails when a file of one layer of src/ includes a header of a layer above it. The order:
# runtime <- http <- renewal <- plan (the runs around the renewal window); config on runtime alone;
# run (a whole run) on renewal, plan and config; app on top of them all.
#
#   tools/check_layers.sh [source root]   (default: src beside this script's folder)
set -uo pipefail
root=${1:-"$(dirname "$0")/../src"}

# Each layer and the folders its files must not include.
declare -A forbidden=(
  [runtime]="app run plan config renewal http"
  [http]="app run plan config renewal"
  [renewal]="app run plan config"
  [plan]="app run config"
  [config]="app run plan renewal http"
  [run]="app"
)

violations=0
for layer in "${!forbidden[@]}"; do
  [ -d "$root/$layer" ] || continue
  for above in ${forbidden[$layer]}; do
    while IFS= read -r hit; do
      echo "upward include: $hit"
      violations=$((violations + 1))
    done < <(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$above/" "$root/$layer" \
               --include='*.h' --include='*.cpp' --include='*.in' || true)
  done
done

if [ "$violations" -gt 0 ]; then
  echo "check_layers: $violations upward include(s)"
  exit 1
fi
echo "check_layers: every include looks down"
