#!/usr/bin/env bash
# Makes the build's own Wine prefix (once), starts its wine server persistently with every
# output detached (so no test runner waits on pipes Wine's background processes hold), and
# with --options-key creates the options key the way the installer does.
set -euo pipefail
. "$(dirname "$0")/env.sh"

make_key=0
for a in "$@"; do
  case "$a" in
    --options-key) make_key=1 ;;
    *) echo "usage: prefix.sh [--options-key]" >&2; exit 2 ;;
  esac
done

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "prefix: making $WINEPREFIX"
  WINEARCH=win32 wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
fi
# Refuses (and exits non-zero) when this prefix's server already runs: that is fine.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# Unmanaged windows: with no window manager on a virtual display, Wine otherwise waits about
# 2 s for every top-level window to be mapped.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true

if [ $make_key -eq 1 ]; then
  wine reg add 'HKLM\Software\Zephlor\Quorvane\Settings' /f </dev/null >/dev/null 2>&1
fi
