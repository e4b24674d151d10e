#!/usr/bin/env bash
# Builds everything and runs every test tier (native, Wine, GUI under Xvfb).
# Extra arguments go to ctest (for example -R monitor).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
status=0
ctest --preset mingw "$@" || status=$?
# Screenshots kept by the GUI tests, as PNG for people to look at.
if compgen -G "build/mingw/artifacts/*.bmp" >/dev/null; then
  for f in build/mingw/artifacts/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
fi
[ -d build/mingw/artifacts ] && echo "Test artifacts: $(pwd)/build/mingw/artifacts"
exit $status
