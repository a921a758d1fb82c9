#!/usr/bin/env bash
# The whole test suite from a fresh machine: install, build, prefix, display, ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh --tests
bash scripts/prefix.sh
. scripts/env.sh
. scripts/display.sh
status=0
ctest --test-dir "$QV_BUILD/test" --output-on-failure "$@" || status=$?
[ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null
exit $status
