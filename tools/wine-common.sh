# Shared settings of the Wine helper scripts (sourced, not run).
# Wine 8 on Debian keeps wine64 outside PATH.
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}

# A ready prefix is copied for every test session: booting one takes several seconds.
obrivo_cache_dir() {
  echo "${XDG_CACHE_HOME:-$HOME/.cache}/obrivo"
}

# Registry settings every prefix of ours gets: no crash dialog that never returns under Xvfb,
# no sound-driver noise, and a virtual desktop so that the tray and the taskbar exist. $1: the
# system DPI, when not the default 96 (Wine reads it when its server starts).
obrivo_prefix_reg() {
  local dpi=${1:-96}
  cat <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  if [ "$dpi" != 96 ]; then
    printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$dpi"
  fi
}

# Creates a booted, configured prefix at $1 (no display needed); $2: its DPI (default 96).
obrivo_make_prefix() {
  local prefix=$1
  mkdir -p "$(dirname "$prefix")"
  local regfile
  regfile=$(mktemp --suffix=.reg)
  obrivo_prefix_reg "${2:-96}" >"$regfile"
  (
    export WINEPREFIX=$prefix
    unset DISPLAY
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
    "$WINE64" regedit /S "$(winepath_of "$regfile")" </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
  )
  rm -f "$regfile"
}

# Host path -> the Z: path Wine sees.
winepath_of() {
  local p
  p=$(readlink -f "$1")
  echo "Z:${p//\//\\}"
}

# Starts Xvfb on a free display; prints the display number. $1: file for the pid.
obrivo_start_xvfb() {
  local pidfile=$1 dfile
  dfile=$(mktemp)
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 1 100); do
    [ -s "$dfile" ] && break
    sleep 0.1
  done
  local n
  n=$(tr -dc '0-9' <"$dfile")
  rm -f "$dfile"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  echo "$n"
}
