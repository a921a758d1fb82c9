#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine (on a virtual display when there is none).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
. scripts/env.sh
# The display first: the wine server and its desktop process keep the display they start with.
. scripts/display.sh
bash scripts/prefix.sh
status=0
for b in "$QV_BUILD"/win32/bin/*Bench.exe; do
  echo "== $(basename "$b" .exe)"
  wine "$b" </dev/null || status=$?
done
if [ -n "${QV_XVFB_PID:-}" ]; then
  # The server's desktop process holds this display: both go together.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  kill "$QV_XVFB_PID" 2>/dev/null || true
fi
exit $status
