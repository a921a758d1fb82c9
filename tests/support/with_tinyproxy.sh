#!/usr/bin/env bash
# Runs a command beside a real tinyproxy on 127.0.0.1 that asks for basic authentication, and
# stops the proxy when the command ends. The command learns the proxy through the environment:
# QV_TEST_PROXY_PORT, QV_TEST_PROXY_USER, QV_TEST_PROXY_PASSWORD (Wine passes them on).
set -euo pipefail

dir=$(mktemp -d /tmp/qv-tinyproxy.XXXXXX)
pid=""
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

user=quorvane
# tinyproxy's configuration cannot hold "@" in a password.
password='Brick-0chre_7'
for attempt in 1 2 3; do
  port=$(free_port)
  cat >"$dir/tinyproxy.conf" <<EOF
Port $port
Listen 127.0.0.1
Timeout 10
MaxClients 16
Allow 127.0.0.1
BasicAuth $user $password
LogFile "$dir/tinyproxy.log"
LogLevel Info
EOF
  tinyproxy -d -c "$dir/tinyproxy.conf" </dev/null >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    if python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null; then
      break 2
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
done
if [ -z "$pid" ]; then
  echo "with_tinyproxy: tinyproxy did not start" >&2
  cat "$dir/tinyproxy.log" >&2 2>/dev/null || true
  exit 1
fi

export QV_TEST_PROXY_PORT=$port QV_TEST_PROXY_USER=$user QV_TEST_PROXY_PASSWORD=$password
status=0
"$@" || status=$?
exit $status
