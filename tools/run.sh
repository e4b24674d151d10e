#!/usr/bin/env bash
# Builds Obrivo and starts the Monitor under Wine in a Wine virtual desktop.
# With an X display the desktop opens there and the script waits until the Monitor ends.
# Without one it starts Xvfb, waits a few seconds, saves a screenshot of the desktop (tray icon
# included), prints its path and stops everything again.
#
#   tools/run.sh --demo [--no-build]
# The newcomer's tour: in a fresh prefix with its own Xvfb, the real installer installs Obrivo,
# the installed Monitor starts, a program adds itself to the Run key, and the Monitor's alert and
# the Explorer's Startup page are saved as PNG pictures, whose paths it prints.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
demo=0
build=1
for arg in "$@"; do
  case "$arg" in
  --demo) demo=1 ;;
  --no-build) build=0 ;;
  *) echo "usage: $0 [--demo [--no-build]]" >&2; exit 2 ;;
  esac
done
[ "$build" = 0 ] || tools/build.sh
. tools/wine-common.sh

if [ "$demo" = 1 ]; then
  builddir=${OBRIVO_BUILD_DIR:-$root/build/mingw}
  out=${OBRIVO_DEMO_DIR:-$root/build/demo}
  setup=$(ls -t "$builddir"/Obrivo-*-setup.exe 2>/dev/null | head -n 1)
  [ -n "$setup" ] || { echo "No installer in $builddir: the build makes it where NSIS is installed" >&2; exit 1; }
  session="$out/session"
  rm -rf "$out"
  mkdir -p "$out"
  trap 'tools/test-session stop "$session" >/dev/null 2>&1 || true' EXIT
  tools/test-session start "$session" >/dev/null
  export WINEPREFIX="$session/prefix" DISPLAY=":$(cat "$session/display")"
  "$WINE64" "$(winepath_of "$builddir/bin/obrivo_demo.exe")" "$(winepath_of "$setup")" \
    "$(winepath_of "$out")" </dev/null
  for picture in demo-alert demo-startup-page; do
    convert "$out/$picture.bmp" "$out/$picture.png"
    rm -f "$out/$picture.bmp"
    echo "Picture: $out/$picture.png"
  done
  exit 0
fi

export WINEPREFIX=${OBRIVO_WINEPREFIX:-$HOME/.local/share/obrivo/wineprefix}
if [ ! -f "$WINEPREFIX/.obrivo-ready" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX ..."
  obrivo_make_prefix "$WINEPREFIX"
  touch "$WINEPREFIX/.obrivo-ready"
fi

monitor=$(winepath_of "$root/build/mingw/bin/Obrivo.exe")
headless=0
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  pidfile=$(mktemp)
  DISPLAY=":$(obrivo_start_xvfb "$pidfile")"
  export DISPLAY
  xvfb_pid=$(cat "$pidfile")
  rm -f "$pidfile"
fi

if [ "$headless" = 0 ]; then
  echo "Starting the Obrivo Monitor in a Wine desktop on $DISPLAY"
  exec "$WINE64" explorer /desktop=Obrivo,1024x768 "$monitor"
fi

# Wine's background processes must not hold this script's output open.
setsid "$WINE64" explorer /desktop=Obrivo,1024x768 "$monitor" </dev/null >/dev/null 2>&1 &
sleep 8
shot="$root/build/obrivo-desktop.png"
import -display "$DISPLAY" -window root "$shot"
echo "Screenshot of the desktop with the Obrivo tray icon: $shot"
"$WINE64" "$monitor" -Q </dev/null >/dev/null 2>&1 || true
"$WINESERVER" -k >/dev/null 2>&1 || true
kill "$xvfb_pid" 2>/dev/null || true
