#!/usr/bin/env bash
# Builds the Debian package, installs it, checks its files and desktop entry, starts the installed program
# under Xvfb to its login window, removes the package and checks that the user's data stayed.
# Needs root (apt-get install/remove): meant for a throwaway machine.
#   bash scripts/package-check.sh [BUILD_DIR]     (default /tmp/pkgbuild; screenshot in BUILD_DIR/login.png)
set -euo pipefail
cd "$(dirname "$0")/.."
SRC=$PWD
BUILD=${1:-/tmp/pkgbuild}
LOCK=/tmp/zelkova-build.lock

bash scripts/deps.sh
need=()
for p in dpkg-dev file desktop-file-utils x11-utils imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

flock "$LOCK" cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
flock "$LOCK" cmake --build "$BUILD" --parallel "${ZELKOVA_JOBS:-2}"
rm -f "$BUILD"/zelkova_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD"/zelkova_*.deb)
echo "== $deb"
dpkg-deb -f "$deb" Depends

fail() { echo "package-check: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
for f in /usr/bin/zelkova /usr/bin/zelkova-db /usr/bin/zelkova-cid-sim /usr/bin/zelkova-datapack /usr/bin/데이터압축; do
  [ -x "$f" ] || fail "missing $f"
done
for f in /usr/share/applications/zelkova.desktop \
         /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/zelkova.png \
         /usr/share/icons/hicolor/scalable/apps/zelkova.svg \
         /usr/share/man/man1/{zelkova,zelkova-db,zelkova-cid-sim,데이터압축}.1.gz; do
  [ -f "$f" ] || fail "missing $f"
done
desktop-file-validate /usr/share/applications/zelkova.desktop
zelkova-cid-sim --help >/dev/null

work=$(mktemp -d /tmp/zelkova-pkgcheck.XXXXXX)
zelkova-db create --demo "$work/home" >/dev/null

display=""
for n in $(seq 90 120); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=":$n"; break; }
done
[ -n "$display" ] || fail "no free X display"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do xwininfo -display "$display" -root >/dev/null 2>&1 && break; sleep 0.2; done

DISPLAY=$display ZELKOVA_SETTINGS="$work/settings" zelkova --home "$work/home" >"$work/app.log" 2>&1 &
app=$!
found=""
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || { cat "$work/app.log" >&2; fail "the program ended before its login window"; }
  if xwininfo -display "$display" -root -tree 2>/dev/null | grep -q '로그인'; then found=1; break; fi
  sleep 0.2
done
[ -n "$found" ] || { xwininfo -display "$display" -root -tree >&2 || true; fail "no login window"; }
sleep 1
DISPLAY=$display import -window root "$BUILD/login.png" || true
echo "== login window up; screenshot $BUILD/login.png"
cleanup
trap - EXIT

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zelkova >/dev/null
[ ! -e /usr/bin/zelkova ] && [ ! -e /usr/share/applications/zelkova.desktop ] || fail "files left after remove"
[ -f "$work/home/DBS/dbMain.mdb" ] || fail "user data gone after remove"
rm -rf "$work"
echo "package-check: OK"
