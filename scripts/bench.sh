#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine (on a virtual display when there is none).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
. scripts/env.sh
. scripts/display.sh
bash scripts/prefix.sh
status=0
for b in "$QV_BUILD"/win32/bin/*Bench.exe; do
  echo "== $(basename "$b" .exe)"
  wine "$b" </dev/null || status=$?
done
[ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null
exit $status
