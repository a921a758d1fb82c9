#!/usr/bin/env bash
# Builds Quorvane (when anything changed), makes the options key as the installer does, and
# starts the program under Wine on this session's display. Without a display it runs on a
# virtual one instead, saves a screenshot of the main window, says where, and ends it again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
. scripts/env.sh
had_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
# The display first: the wine server and its desktop process keep the display they start with.
. scripts/display.sh
bash scripts/prefix.sh --options-key
exe="$QV_BUILD/win32/bin/Quorvane.exe"

if [ $had_display -eq 1 ]; then
  echo "run: Quorvane on display $DISPLAY"
  exec wine "$exe"
fi

shot="$QV_BUILD/quorvane-screenshot.png"
echo "run: no display in this session; Quorvane runs on the virtual display $DISPLAY"
wine "$exe" </dev/null >/dev/null 2>&1 &
pid=$!
shown=0
# The main window appears after the splash's two seconds and the set-up.
for _ in $(seq 300); do
  if xwininfo -name Quorvane 2>/dev/null | grep -q 'IsViewable'; then shown=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
status=0
if [ $shown -eq 1 ]; then
  sleep 1  # let it paint
  import -window root "$shot.full.png"
  convert "$shot.full.png" -trim +repage "$shot"
  rm -f "$shot.full.png"
  echo "run: screenshot of the main window saved to $shot"
else
  echo "run: the main window did not appear" >&2
  status=1
fi
kill "$pid" 2>/dev/null || true
# The server's desktop process holds the virtual display: both go together.
wineserver -k </dev/null >/dev/null 2>&1 || true
[ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null || true
exit $status
