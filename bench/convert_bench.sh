#!/usr/bin/env bash
# The converter's benchmark: a folder of 100 scans of 2 000 to 8 000 traces (half 730 RDD files,
# half 940 ZVX files) and one broken file, converted to JPEG + CSV by rebarscope-convert. Prints
# the time, the time per file and the load average before the run (the machine may be shared).
#
#   bench/convert_bench.sh [BUILD_DIR] [THREADS]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
threads="${2:-$(nproc)}"
bin="$build/bin"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in" "$work/out"

for i in $(seq 0 99); do
  traces=$((2000 + (i * 6000) / 99))
  bars="--bars 100:150:$((traces * 25 / 1500 - 1)):30/45/60"
  if ((i % 2 == 0)); then
    "$bin/scangen" --traces "$traces" $bars --noise 0.01 --seed "$i" -o "$work/in/S$(printf %03d "$i").RDD"
  else
    "$bin/scangen" --traces "$traces" $bars --noise 0.01 --seed "$i" --format zvx \
      -o "$work/in/S$(printf %03d "$i").ZVX"
  fi
done
head -c 3000 /dev/urandom >"$work/in/BROKEN.RDD"

export REBAR_SYSTEMDATA="${REBAR_SYSTEMDATA:-$bin/SystemData}"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s.%N)
status=0
"$bin/rebarscope-convert" "$work/in" --to "$work/out" --form jpeg+csv --threads "$threads" \
  >"$work/log" 2>"$work/err" || status=$?
end=$(date +%s.%N)
tail -n 1 "$work/log"
grep -c '^failed' "$work/err" | sed 's/^/files failed: /'
grep '^failed' "$work/err" | head -n 3
echo "jpg written: $(ls "$work/out" | grep -c '\.jpg$'), csv written: $(ls "$work/out" | grep -c '\.csv$')"
echo "exit status: $status"
awk -v s="$start" -v e="$end" 'BEGIN { printf "wall time incl. start-up: %.2f s\n", e - s }'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
