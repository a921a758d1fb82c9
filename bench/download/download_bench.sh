#!/usr/bin/env bash
# The download engine against curl, both fetching the same 64 MB file from one loopback server
# in the same run, and the installation copy against a plain file copy. Best of three rounds.
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/env.sh
cmake --build "$QV_BUILD/win32" --target download_bench >/dev/null
. scripts/display.sh
bash scripts/prefix.sh >/dev/null

work=$(mktemp -d)
trap 'kill ${server_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
size=$((64 * 1048576))
mkdir -p "$work/served" "$work/curl" "$work/engine"
head -c "$size" /dev/urandom >"$work/served/bench.bin"
python3 - "$work/served" >"$work/port" <<'PY' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
handler.log_message = lambda *a: None
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
url="http://127.0.0.1:$(cat "$work/port")/bench.bin"

best() { sort -g | head -1; }
curl_times=() dl_times=() inst_times=() copy_times=() client_times=() window_times=()
for round in 1 2 3; do
  curl_times+=("$(curl -s -o "$work/curl/bench.bin" -w '%{time_total}' "$url")")
  out=$(wine "$QV_BUILD/win32/bin/download_bench.exe" "$url" "$size" "$(winepath -w "$work/engine")" </dev/null)
  cmp -s "$work/served/bench.bin" "$work/engine/bench.bin" || { echo "installed file differs"; exit 1; }
  dl_times+=("$(awk '/^download_seconds/ {print $2}' <<<"$out")")
  inst_times+=("$(awk '/^install_seconds/ {print $2}' <<<"$out")")
  copy_times+=("$(awk '/^copy_seconds/ {print $2}' <<<"$out")")
  client_times+=("$(awk '/^client_seconds/ {print $2}' <<<"$out")")
  window_times+=("$(awk '/^install_window_seconds/ {print $2}' <<<"$out")")
  rm -f "$work/engine/"*
done
c=$(printf '%s\n' "${curl_times[@]}" | best)
d=$(printf '%s\n' "${dl_times[@]}" | best)
i=$(printf '%s\n' "${inst_times[@]}" | best)
p=$(printf '%s\n' "${copy_times[@]}" | best)
h=$(printf '%s\n' "${client_times[@]}" | best)
w=$(printf '%s\n' "${window_times[@]}" | best)
awk -v c="$c" -v d="$d" -v i="$i" -v p="$p" -v h="$h" -v w="$w" -v s="$size" 'BEGIN {
  mb = s / 1048576
  printf "download 64 MB: engine %.3f s (%.0f MB/s), curl %.3f s (%.0f MB/s); engine/curl throughput %.2f (target >= 0.80)\n", d, mb / d, c, mb / c, c / d
  printf "  the HTTP client alone into a file: %.3f s; engine/client throughput %.2f, client/curl %.2f\n", h, h / d, c / h
  printf "install copy: 1024-byte blocks with progress %.3f s, plain file copy %.3f s; plain/blocks %.2f\n", i, p, p / i
  printf "  the same with its progress on the wizard window: %.3f s; plain/window %.2f\n", w, p / w
}'
