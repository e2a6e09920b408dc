#!/usr/bin/env bash
# Installs what is missing, builds, prepares a working copy of the demo database in run/ (once;
# the shipped demo/ is never changed) and starts the program on it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh"
bash "$top/scripts/build.sh" -DVELTOR_BUILD_TESTS=OFF -DVELTOR_BUILD_BENCH=OFF
run="$top/run"
mkdir -p "$run"
if [ ! -d "$run/database" ]; then
  "$top/build/tools/mkdemo/mkdemo" install "$top/demo" "$run"
fi
# The program folder is the folder of the executable.
cp -f "$top/build/src/main/veltor" "$run/veltor"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: the program needs a desktop. To try it on a virtual display run:" >&2
  echo "  xvfb-run -a $run/veltor" >&2
  exit 2
fi
exec "$run/veltor"
