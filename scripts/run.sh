#!/usr/bin/env bash
# Builds Quorvane and starts it under Wine (on a virtual display when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
. scripts/env.sh
. scripts/display.sh
bash scripts/prefix.sh --options-key
echo "run: Quorvane on display $DISPLAY"
exec wine "$QV_BUILD/win32/bin/Quorvane.exe"
