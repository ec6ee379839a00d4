#!/usr/bin/env bash
# Builds the Debian package, installs it, checks its files and desktop entry, starts the installed program
# under Xvfb without a program folder, creates a demo installation through the first start's question, goes
# on through the login to the main window, removes the package and checks that the user's data stayed.
# Needs root (apt-get install/remove): meant for a throwaway machine.
#   bash scripts/package-check.sh [BUILD_DIR]       builds a release tree in BUILD_DIR (default /tmp/pkgbuild)
#   bash scripts/package-check.sh --build-dir DIR   packs the tree already built in DIR (CI, after the tests)
# Screenshots of the first start and the main window are left in the build folder.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
SRC=$PWD
LOCK=/tmp/zelkova-build.lock

fail() { echo "package-check: $*" >&2; exit 1; }

reuse=""
case "${1:-}" in
  --build-dir)
    [ -n "${2:-}" ] || fail "--build-dir needs a folder"
    BUILD=$(cd "$caller" && cd "$2" 2>/dev/null && pwd) || fail "no folder $2"
    [ -f "$BUILD/CMakeCache.txt" ] || fail "$2 is not a configured build folder"
    reuse=1
    ;;
  -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
  *) BUILD=${1:-/tmp/pkgbuild} ;;
esac

bash scripts/deps.sh
need=()
for p in dpkg-dev file desktop-file-utils x11-utils xdotool imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

if [ -z "$reuse" ]; then
  flock "$LOCK" cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  flock "$LOCK" cmake --build "$BUILD" --parallel "${ZELKOVA_JOBS:-2}"
fi
rm -f "$BUILD"/zelkova_*.deb
# cpack installs the built tree (building only what is out of date) and strips the binaries.
(cd "$BUILD" && flock "$LOCK" cpack -G DEB >/dev/null)
deb=$(ls "$BUILD"/zelkova_*.deb)
echo "== $deb"
dpkg-deb -f "$deb" Depends

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

# Waits for a visible window whose title holds $1 and prints its id.
window() {
  local id
  for _ in $(seq 150); do
    kill -0 "$app" 2>/dev/null || { cat "$work/app.log" >&2; fail "the program ended before the window \"$1\""; }
    id=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  xwininfo -display "$display" -root -tree >&2 || true
  fail "no window \"$1\""
}
# Enter in the window: there is no window manager to give it the keyboard.
enter() { DISPLAY=$display xdotool windowfocus --sync "$1" key Return; }

# No program folder yet: the first start asks, the default answer is the demo installation.
DISPLAY=$display ZELKOVA_SETTINGS="$work/settings" zelkova --home "$work/home" >"$work/app.log" 2>&1 &
app=$!
id=$(window '처음 시작')
sleep 0.5
DISPLAY=$display import -window root "$BUILD/first-start.png" || true
enter "$id"
id=$(window '로그인')
[ -f "$work/home/DBS/dbMain.mdb" ] || fail "the first start made no main database"
echo "== first start made a demo installation; login window up"
enter "$id"
# The day's notice comes first unless switched off.
for _ in $(seq 50); do
  notice=$(DISPLAY=$display xdotool search --onlyvisible --name '안내 메세지' 2>/dev/null | head -n 1 || true)
  [ -n "$notice" ] && { enter "$notice"; break; }
  DISPLAY=$display xdotool search --onlyvisible --name 'DB:' >/dev/null 2>&1 && break
  sleep 0.2
done
window 'DB:' >/dev/null
sleep 1
DISPLAY=$display import -window root "$BUILD/main-window.png" || true
echo "== main window up; screenshots $BUILD/first-start.png, $BUILD/main-window.png"
# The display goes away under the running program: it ends by its own end, not by a crash.
kill "$xvfb" 2>/dev/null || true
rc=0
wait "$app" || rc=$?
app=
[ "$rc" -lt 128 ] || { cat "$work/app.log" >&2; fail "the program crashed when its display went away ($rc)"; }
grep -q '\[종료\]' "$work/home/Log/zelkova.log" || fail "the program's end is not in its log"
[ ! -e "$work/home/DBS/dbReport.mdb" ] || fail "the seat's report file was left behind"
echo "== display gone: the program ended ($rc) and logged its end"
cleanup
trap - EXIT
zelkova-db check "$work/home" >/dev/null || fail "zelkova-db check failed on the new installation"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zelkova >/dev/null
[ ! -e /usr/bin/zelkova ] && [ ! -e /usr/share/applications/zelkova.desktop ] || fail "files left after remove"
[ -f "$work/home/DBS/dbMain.mdb" ] || fail "user data gone after remove"
rm -rf "$work"
echo "package-check: OK"
