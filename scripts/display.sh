# Sourced: gives the session an X display, starting a virtual one when there is none.
# A lock file whose server is gone (killed without cleaning up) is stale: it is removed so
# that its number can be used again.
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 250); do
    lock="/tmp/.X$n-lock"
    if [ -e "$lock" ]; then
      pid=$(tr -d ' ' <"$lock" 2>/dev/null)
      if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then continue; fi
      rm -f "$lock" "/tmp/.X11-unix/X$n"
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 && break
    kill "$QV_XVFB_PID" 2>/dev/null || true
    unset QV_XVFB_PID
  done
fi
