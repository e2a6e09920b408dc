#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz/ and runs them one after another, on one core each.
#   fuzz.sh smoke [SECONDS]   every target for a few seconds (default 5), after replaying the
#                             committed corpus; part of scripts/test.sh
#   fuzz.sh long [RUNS]       every target for RUNS executions (default 10000000)
#   fuzz.sh long RUNS TARGET  one target (table, config, rtf or jpeg)
# The committed seeds in tests/fuzz/corpus/ are only read; what a run learns goes to
# build-fuzz/corpus/, and a crash is saved in build-fuzz/findings/ (copy it into the corpus and
# write a test for it once it is fixed).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-smoke}
amount=${2:-}
only=${3:-}
build="$top/build-fuzz"
command -v clang++ >/dev/null && [ -d /usr/lib/llvm-14/lib/clang ] || bash "$top/scripts/deps.sh" --tests
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELTOR_BUILD_FUZZ=ON -DVELTOR_BUILD_TESTS=OFF -DVELTOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_table fuzz_config fuzz_rtf fuzz_jpeg
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$build/findings"
for target in table config rtf jpeg; do
  [ -n "$only" ] && [ "$only" != "$target" ] && continue
  seeds="$top/tests/fuzz/corpus/$target"
  work="$build/corpus/$target"
  mkdir -p "$work"
  binary="$build/tests/fuzz/fuzz_$target"
  # Every structure of a template (groups, tables, nested cells, placeholders) fits in 2 KB;
  # longer RTF only repeats it and makes each run slower.
  max_len=65536
  [ "$target" = rtf ] && max_len=2048
  common=(-max_len="$max_len" -timeout=20 -rss_limit_mb=2048
          -artifact_prefix="$build/findings/$target-" -print_final_stats=1)
  case "$mode" in
    smoke)
      # Every committed seed and regression file once, then a short search from them.
      "$binary" -runs=0 "${common[@]}" "$seeds"
      "$binary" -max_total_time="${amount:-5}" "${common[@]}" "$work" "$seeds" ;;
    long)
      "$binary" -runs="${amount:-10000000}" "${common[@]}" "$work" "$seeds" ;;
    *) echo "usage: $0 smoke [SECONDS] | long [RUNS] [TARGET]" >&2; exit 2 ;;
  esac
done
