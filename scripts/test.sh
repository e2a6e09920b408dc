#!/usr/bin/env bash
# Installs what is missing, builds everything, gives every fuzz target a short run, then runs
# every test (last, so the test summary closes the output).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" --tests
bash "$top/scripts/build.sh" -DVELTOR_BUILD_TESTS=ON -DVELTOR_BUILD_BENCH=ON
bash "$top/scripts/fuzz.sh" smoke 5
cd "$top/build"
ctest --output-on-failure -j2 --timeout 600
