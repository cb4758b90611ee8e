#!/usr/bin/env bash
# Fails when a file of one layer of src/ includes a header of a layer above it. The order:
# runtime <- http <- renewal; config on runtime alone; run (a whole run) on renewal and config; the
# two front ends on top of them all, neither including the other: app (Windows) and cli (Linux).
#
#   tools/check_layers.sh [source root]   (default: src beside this script's folder)
set -uo pipefail
root=${1:-"$(dirname "$0")/../src"}

# Each layer and the folders its files must not include.
declare -A forbidden=(
  [runtime]="app cli run config renewal http"
  [http]="app cli run config renewal"
  [renewal]="app cli run config"
  [config]="app cli run renewal http"
  [run]="app cli"
  [app]="cli"
  [cli]="app"
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
