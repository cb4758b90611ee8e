#!/usr/bin/env bash
# Fails when a file of one layer of src/ includes a header of a layer above it or beside it. The
# layers, bottom up: runtime (texts, date-times, the HMAC); http on runtime; renewal (the job)
# on http; plan (the runs around the renewal window) on renewal; config (korvan.ini) on runtime
# alone; log (entries, network time, korvan.log) on runtime; alerts (policy, message, channels,
# sender) on renewal, http and config; run (a whole run, the record) on all of these; platform
# (each platform's side of the ports: platform/win32 and platform/posix, which never include
# each other) on all of these; the front ends on top: app (the Win32 window) and cli (the Linux
# program), which never include each other.
#
#   tools/check_layers.sh [source root]   (default: src beside this script's folder)
set -uo pipefail
root=${1:-"$(dirname "$0")/../src"}

# Each layer and the folders its files must not include.
declare -A forbidden=(
  [runtime]="http renewal plan config log alerts run platform app cli"
  [http]="renewal plan config log alerts run platform app cli"
  [renewal]="plan config log alerts run platform app cli"
  [plan]="http config log alerts run platform app cli"
  [config]="http renewal plan log alerts run platform app cli"
  [log]="http renewal plan config alerts run platform app cli"
  [alerts]="plan log run platform app cli"
  [run]="platform app cli"
  [platform]="app cli"
  [app]="cli"
  [cli]="app"
  [resources]="http renewal plan config log alerts run platform app cli"
)

violations=0
# A folder without a row would be checked against nothing.
for folder in "$root"/*/; do
  layer=$(basename "$folder")
  if [ -z "${forbidden[$layer]+set}" ]; then
    echo "no row for the layer $layer in $0"
    violations=$((violations + 1))
  fi
done
for layer in "${!forbidden[@]}"; do
  [ -d "$root/$layer" ] || continue
  for above in ${forbidden[$layer]}; do
    while IFS= read -r hit; do
      echo "include against the layers: $hit"
      violations=$((violations + 1))
    done < <(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$above/" "$root/$layer" \
               --include='*.h' --include='*.cpp' --include='*.in' || true)
  done
done

# The two platform folders stand side by side, the window program is built on Win32 alone, and the
# command line on the ports' declarations alone, so that it builds on either platform.
for pair in "platform/win32 posix" "platform/posix win32" "app posix" "cli posix" "cli win32"; do
  read -r own other <<<"$pair"
  [ -d "$root/$own" ] || continue
  while IFS= read -r hit; do
    echo "include against the layers: $hit"
    violations=$((violations + 1))
  done < <(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]platform/$other/" "$root/$own" \
             --include='*.h' --include='*.cpp' || true)
done

# The window program's rooms, bottom up: each includes only the rooms before it, so that no two
# include each other, directly or around a loop. A room without a place here fails too.
app_rooms=(controls skin window_thread form restart settings_dialog worker main_window)
if [ -d "$root/app" ]; then
  for folder in "$root"/app/*/; do
    room=$(basename "$folder")
    if [[ " ${app_rooms[*]} " != *" $room "* ]]; then
      echo "no place for the room app/$room in $0"
      violations=$((violations + 1))
    fi
  done
  for ((i = 0; i < ${#app_rooms[@]}; i++)); do
    [ -d "$root/app/${app_rooms[i]}" ] || continue
    for ((j = i + 1; j < ${#app_rooms[@]}; j++)); do
      while IFS= read -r hit; do
        echo "include against the rooms of app: $hit"
        violations=$((violations + 1))
      done < <(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]app/${app_rooms[j]}/" "$root/app/${app_rooms[i]}" \
                 --include='*.h' --include='*.cpp' || true)
    done
  done
fi

if [ "$violations" -gt 0 ]; then
  echo "check_layers: $violations include(s) against the layers"
  exit 1
fi
echo "check_layers: every include looks down"
