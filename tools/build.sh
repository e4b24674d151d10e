#!/usr/bin/env bash
# Configures and builds the programs and tests with the MinGW-w64 cross compiler.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
