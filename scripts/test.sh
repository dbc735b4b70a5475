#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the unit and window tests, the reader tests
# under the address and undefined-behaviour sanitizers, and a bounded fuzzing run of every
# reader. Exits non-zero when anything fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# Qt wants a private runtime folder; headless machines often have none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
bash "$here/scripts/deps.sh"
bash "$here/scripts/build.sh" "$here/build"
ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)" --timeout 600

# Readers and the core under the sanitizers.
asan="$here/build-asan"
cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREBAR_SANITIZE=ON -DREBAR_BENCH=OFF >/dev/null
cmake --build "$asan" -j"$(nproc)" --target data_tests
REBAR_SYSTEMDATA="$asan/bin/SystemData" QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$asan/bin/data_tests" --gtest_brief=1
echo "All tests passed."
