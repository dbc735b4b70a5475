#!/usr/bin/env bash
# Renders the main window headless for every shipped sample in every view range, and with a
# few view menu items chosen first, into OUTDIR (one PNG each). Run it with the executables of
# two builds and compare the folders with scripts/compare-pngs.py to check that a change keeps
# every picture. Text is drawn in the fonts the machine resolves, so take both folders with the
# same fonts installed: environment.txt records them and the comparison warns when they differ.
#
#   scripts/screenshots.sh build/bin /tmp/shots-before
set -euo pipefail
bin="$(cd "${1:?usage: screenshots.sh BINDIR OUTDIR}" && pwd)"
out="${2:?usage: screenshots.sh BINDIR OUTDIR}"
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
for family in Arial Monospace sans-serif; do
    fc-match "$family" 2>/dev/null || echo "$family: no fontconfig"
done >"$out/environment.txt"
samples=("$bin"/Samples/*)
shot() {
    local name="$1"
    shift
    "$bin/rebarscope" --screenshot "$out/$name.png" "$@" >/dev/null 2>"$out/$name.log"
}
for f in "${samples[@]}"; do
    base="$(basename "$f")"
    for range in 0 1 2 3 4 5; do
        shot "$base-range$range" --setting "IndicationRange730=$range" \
            --setting "IndicationRange940=$range" "$f"
    done
    for menu in Menu6_0 Menu15_1 Menu4_3 Menu4_7 Menu3_9 Menu14_4 Menu14_8 Menu14_9 Menu14_10 \
        Menu14_11 Menu5_7 Menu5_0 Menu16_0_0 Menu16_1_3 Menu12_4; do
        shot "$base-$menu" --menu "$menu" "$f"
    done
    shot "$base-reverse-wide-half" --setting Direction730=1 --setting Direction940=1 \
        --setting IndicationRange730=4 --setting IndicationRange940=4 \
        --setting PuttingOnMagnification=1 "$f"
done
shot all-cascaded "${samples[@]}"
shot all-tiled --tile "${samples[@]}"
