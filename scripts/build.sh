#!/usr/bin/env bash
# Builds the shipped programs (win32 thread model, runs on Windows XP) into build/win32 and,
# with --tests, the test suite (posix thread model) into build/test.
set -euo pipefail
. "$(dirname "$0")/env.sh"
jobs=$(nproc)

cmake -S "$QV_ROOT" -B "$QV_BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-win32.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$QV_BUILD/win32" -j "$jobs"

if [ "${1:-}" = "--tests" ]; then
  cmake -S "$QV_ROOT" -B "$QV_BUILD/test" -DCMAKE_TOOLCHAIN_FILE="$QV_ROOT/cmake/mingw-posix.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=ON -DQV_SHIPPED_DIR="$QV_BUILD/win32/bin" \
    -DQV_WINEPREFIX="$WINEPREFIX" >/dev/null
  cmake --build "$QV_BUILD/test" -j "$jobs"
fi
