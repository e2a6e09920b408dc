#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then a short run of every fuzz
# target.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" --tests
bash "$top/scripts/build.sh" -DVELTOR_BUILD_TESTS=ON -DVELTOR_BUILD_BENCH=ON
(cd "$top/build" && ctest --output-on-failure -j2 --timeout 600)
bash "$top/scripts/fuzz.sh" smoke 5
