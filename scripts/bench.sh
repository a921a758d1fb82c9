#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine (on a virtual display when there is none).
# Arguments: the benchmark targets to run (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
. scripts/env.sh
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(wash_bench main_window_bench monitor_bench)
cmake --build "$QV_BUILD/win32" --target "${targets[@]}" >/dev/null
# The display first: the wine server and its desktop process keep the display they start with.
. scripts/display.sh
bash scripts/prefix.sh
status=0
for t in "${targets[@]}"; do
  echo "== $t"
  wine "$QV_BUILD/win32/bin/$t.exe" </dev/null || status=$?
done
if [ -n "${QV_XVFB_PID:-}" ]; then
  # The server's desktop process holds this display: both go together.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  kill "$QV_XVFB_PID" 2>/dev/null || true
fi
exit $status
