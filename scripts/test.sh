#!/usr/bin/env bash
# Installs what is missing, builds everything, gives every fuzz target a short run, then runs
# every test (last, so the test summary closes the output), the server tests on a PostgreSQL
# cluster of their own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" --tests
bash "$top/scripts/build.sh" -DVELTOR_BUILD_TESTS=ON -DVELTOR_BUILD_BENCH=ON
bash "$top/scripts/fuzz.sh" smoke 5
# The server tests, and the card save, order save and streaming entry suites a second time on the
# server (the tests named *_server), run against a throwaway PostgreSQL cluster, stopped at the
# end; without one they skip.
if cluster=$(bash "$top/scripts/pg_cluster.sh" start); then
  eval "$cluster"
  trap 'bash "$top/scripts/pg_cluster.sh" stop "$VELTOR_TEST_PGDIR"' EXIT
else
  echo "PostgreSQL could not be started: the server tests are skipped."
fi
cd "$top/build"
ctest --output-on-failure -j2 --timeout 600
