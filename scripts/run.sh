#!/usr/bin/env bash
# Sets up and starts Rebarscope with the sample measurement files open.
# Without a display the main window is rendered to a PNG instead and its path printed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# Qt wants a private runtime folder; headless machines often have none.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
bash "$here/scripts/deps.sh"
bash "$here/scripts/build.sh"
bin="$here/build/bin"
mapfile -t samples < <(find "$bin/Samples" -maxdepth 1 -type f | sort)
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/rebarscope" "${samples[@]}"
fi
out="$here/build/rebarscope-screenshot.png"
echo "No display: rendering the main window with ${#samples[@]} sample file(s) open."
QT_QPA_PLATFORM=offscreen "$bin/rebarscope" --screenshot "$out" "${samples[@]}"
echo "Screenshot written to $out"
