#!/usr/bin/env bash
# Installs the Debian 12 packages Rebarscope needs to build, run and test (run as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-translations-l10n libgl-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang
  fonts-liberation2 fonts-ipafont-gothic
  xvfb xauth
  python3-openpyxl poppler-utils unzip
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
