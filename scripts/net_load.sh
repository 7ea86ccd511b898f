#!/usr/bin/env bash
# Loads a dedicated server with bots, for the network game's figures: one
# server on the default arena and 7 bots for MINUTES (default 10), then
# reports the server's tick time (median and p99, from its minute lines),
# the bytes a second each way per client, the server's resident memory at
# the start and the end, and how many players were lost.
#   scripts/net_load.sh [MINUTES] [BUILD_DIR]
set -euo pipefail
minutes=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/${2:-build}
bin=$build/driftwing
data=$build/data
[ -x "$bin" ] || { echo "net_load: build the game first" >&2; exit 1; }
tmp=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"' EXIT

port=$((29000 + RANDOM % 1000))
"$bin" --data "$data" --server "$port" >"$tmp/server.log" 2>&1 &
server=$!
pids+=("$server")
until grep -q "listening" "$tmp/server.log"; do sleep 0.2; done
for seed in 1 2 3 4 5 6 7; do
  "$bin" --data "$data" --connect "127.0.0.1:$port" --bot --seed "$seed" >"$tmp/bot$seed.log" 2>&1 &
  pids+=($!)
done
until [ "$(grep -c " joined as player" "$tmp/server.log")" -ge 7 ]; do sleep 0.2; done
sleep 5
rss_start=$(ps -o rss= -p "$server")
echo "net_load: 7 bots playing; running $minutes minute(s)"
sleep $((minutes * 60))
rss_end=$(ps -o rss= -p "$server")
kill -TERM "$server"
wait "$server" || true

grep "KiB/s" "$tmp/server.log" | sed 's/^/  /'
# The worst minute's tick times, and the traffic per client over the whole run.
awk -v clients=7 '/KiB\/s/ {
    for (i = 1; i <= NF; ++i) {
      if ($(i+1) == "KiB/s" && $(i+2) == "in,") { inb += $i; n++ }
      if ($(i+1) == "KiB/s" && $(i+2) == "out;") outb += $i
      if ($(i+1) == "ms" && $(i+2) == "median,") if ($i > med) med = $i
      if ($(i+1) == "ms" && $(i+2) == "p99") if ($i > p99) p99 = $i
    }
  }
  END {
    if (n == 0) { print "net_load: no minute line"; exit 1 }
    printf "net_load: tick %.3f ms median, %.3f ms p99 (worst minute); per client %.2f KiB/s up, %.2f KiB/s down\n",
      med, p99, inb / n / clients, outb / n / clients
  }' "$tmp/server.log"
growth=$(awk -v a="$rss_start" -v b="$rss_end" 'BEGIN { printf "%.2f", (b - a) * 100.0 / a }')
# Bots never leave by themselves: one that left gave up on the server.
lost=$(grep -c "was lost\|dropped\|) left$" "$tmp/server.log" || true)
echo "net_load: resident memory $rss_start kB at the start, $rss_end kB at the end ($growth %); players lost: $lost"
