#!/usr/bin/env bash
# Installs the Debian 12 packages Zelkova needs to build, run and test.
# The one place the package list lives; README commands and CI call it.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev
  qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libsqlite3-dev sqlite3 libssl-dev
  libqt6sql6-psql libpq-dev postgresql postgresql-contrib
  libxlsxwriter-dev unzip
  libarchive-dev libzstd-dev zstd
  fonts-nanum
  fonts-nanum-coding
  xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
