#!/usr/bin/env bash
# Builds Obrivo and starts the Monitor under Wine in a Wine virtual desktop.
# With an X display the desktop opens there and the script waits until the Monitor ends.
# Without one it starts Xvfb, waits a few seconds, saves a screenshot of the desktop (tray icon
# included), prints its path and stops everything again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tools/build.sh
. tools/wine-common.sh

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
