#!/usr/bin/env bash
# Builds Zelkova and starts it. On first run a demo installation is created in the program folder
# ($ZELKOVA_HOME, default ~/.local/share/zelkova). Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
home="${ZELKOVA_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/zelkova}"
if [ ! -e "$home/DBS/dbMain.mdb" ] && [ ! -e "$home/dbs/dbMain.mdb" ]; then
  echo "Creating a demo installation in $home"
  ./build/tools/zelkova-db/zelkova-db create --demo "$home"
elif [ -e "$home/DBS/dbMain.mdb" ]; then
  # An installation made by an earlier build is brought up to this build's layout (nothing to do when current).
  ./build/tools/zelkova-db/zelkova-db upgrade "$home" >/dev/null || true
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; starting under xvfb-run (set DISPLAY to see the window)." >&2
  exec xvfb-run -a ./build/src/app/zelkova --home "$home" "$@"
fi
exec ./build/src/app/zelkova --home "$home" "$@"
