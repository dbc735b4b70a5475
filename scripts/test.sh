#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the unit and window tests, every core suite
# under the address and undefined-behaviour sanitizers, and a bounded fuzzing run of every
# reader. Both builds treat compiler warnings as errors. Exits non-zero when anything fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# Qt wants a private runtime folder; headless machines often have none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
bash "$here/scripts/deps.sh"

# The tree stays formatted (.clang-format in the repository).
if git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$here" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror) ||
    { echo "Some files are not formatted: run clang-format -i on them." >&2; exit 1; }
fi

bash "$here/scripts/build.sh" "$here/build" -DREBAR_WERROR=ON
ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)" --timeout 600

# Every core suite (tests/<subsystem>/*_test.cpp, no windows) under the sanitizers.
asan="$here/build-asan"
(cd "$here" && cmake --preset asan -DREBAR_WERROR=ON >/dev/null)
suites=()
for dir in "$here"/tests/*/; do
  if compgen -G "$dir*_test.cpp" >/dev/null; then
    suites+=("$(basename "$dir")_tests")
  fi
done
cmake --build "$asan" -j"$(nproc)" --target "${suites[@]}"
for suite in "${suites[@]}"; do
  echo "$suite (sanitizers)"
  REBAR_SYSTEMDATA="$asan/bin/SystemData" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$asan/bin/$suite" --gtest_brief=1
done

# ---- Bounded fuzzing of every reader -------------------------------------------------------
# One libFuzzer target per reader (RDD, ZVX, VXD binary and text, text measurement data binary
# and hexadecimal, the DZT import), built with clang in a folder of its own and started from seed corpora that
# the build writes with the scene generator; each runs for FUZZ_SECONDS (default 20). A crash
# or sanitizer report fails the script; the input that caused it is kept in build-fuzz/findings.
fuzz="$here/build-fuzz"
fuzz_seconds="${FUZZ_SECONDS:-20}"
CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DREBAR_FUZZ=ON -DREBAR_BENCH=OFF >/dev/null
cmake --build "$fuzz" -j"$(nproc)" --target fuzz_all
mkdir -p "$fuzz/findings"
for target in rdd zvx vxd_b vxd_t txt txt_hex dzt; do
  corpus="$fuzz/corpus/$target"
  log="$fuzz/findings/$target.log"
  mkdir -p "$corpus"
  if ! "$fuzz/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$fuzz/findings/$target-" \
      "$corpus" "$fuzz/fuzz-seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target found a failure; the input is in $fuzz/findings" >&2
    exit 1
  fi
  echo "fuzz_$target: $(grep -o 'number_of_executed_units: [0-9]*' "$log" | cut -d' ' -f2) inputs, no failure"
done
echo "All tests passed."
