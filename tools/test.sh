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
# A second compiler over the same tree (build only): code that only GCC accepts fails here.
echo "Building with clang (preset clang-mingw)"
cmake --preset clang-mingw >/dev/null
clang_log=build/clang-mingw.log
if ! cmake --build --preset clang-mingw >"$clang_log" 2>&1; then
  # GNU ld's notes on the C++ library's type names, which the two compilers size apart, are noise.
  grep -v "duplicate section .* has different size" "$clang_log" | tail -60
  echo "The clang build failed: $clang_log"
  status=1
fi
exit $status
