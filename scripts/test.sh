#!/usr/bin/env bash
# The whole test suite from a fresh machine: install, build, prefix, display, ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --tests
. scripts/env.sh
# The display first: the wine server and its desktop process keep the display they start with.
. scripts/display.sh
bash scripts/prefix.sh
status=0
ctest --test-dir "$QV_BUILD/test" --output-on-failure "$@" || status=$?
if [ -n "${QV_XVFB_PID:-}" ]; then
  # The server's desktop process holds this display: both go together.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  kill "$QV_XVFB_PID" 2>/dev/null || true
fi
exit $status
