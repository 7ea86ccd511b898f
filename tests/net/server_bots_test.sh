#!/usr/bin/env bash
# A dedicated server and two bots, as separate programs on loopback, as a
# server host runs them: both join and fire, the first destroys the drone
# straight ahead of its place (a hit scored), the second is killed outright
# and is dropped within 5 s, the first plays on, and the server stops
# cleanly on SIGTERM. The server records the game, and the record replays
# to the world the server ended with.
set -euo pipefail
: "${DRIFTWING_BIN:?}" "${FIELD_DATA:?}"
tmp=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- server ---" >&2; cat "$tmp/server.log" >&2; exit 1; }
wait_for() {  # SECONDS PATTERN
  local deadline=$((SECONDS + $1))
  until grep -qE "$2" "$tmp/server.log"; do
    [ $SECONDS -lt $deadline ] || fail "the server did not log /$2/ within $1 s"
    sleep 0.1
  done
}

port=$((28000 + RANDOM % 2000))
"$DRIFTWING_BIN" --data "$FIELD_DATA" --server "$port" --round 600 --record "$tmp/game.rec" \
  >"$tmp/server.log" 2>&1 &
server=$!
pids+=("$server")
wait_for 30 "listening on port $port"
"$DRIFTWING_BIN" --data "$FIELD_DATA" --connect "127.0.0.1:$port" --bot --seed 1 >"$tmp/bot1.log" 2>&1 &
bot1=$!
pids+=("$bot1")
wait_for 30 "Bot 1 joined as player 0"
"$DRIFTWING_BIN" --data "$FIELD_DATA" --connect "127.0.0.1:$port" --bot --seed 2 >"$tmp/bot2.log" 2>&1 &
bot2=$!
pids+=("$bot2")
wait_for 30 "Bot 2 joined as player 1"
echo "ok: two bots joined"

wait_for 60 "Bot 1 destroyed a drone"
echo "ok: a bot's rockets destroyed the drone"

kill -KILL "$bot2"
killed=$SECONDS
wait_for 30 "Bot 2 \(player 1\) was lost"
lost=$((SECONDS - killed))
[ "$lost" -le 6 ] || fail "the killed bot was dropped only after $lost s"
echo "ok: the killed bot was dropped after about $lost s"

sleep 2
kill -0 "$bot1" || fail "the other bot stopped"
grep -q "Bot 1 (player 0)" "$tmp/server.log" && fail "the other bot left the game"
echo "ok: the other bot plays on"

kill -TERM "$bot1"
wait "$bot1" || fail "the bot ended with status $? on SIGTERM"
wait_for 10 "Bot 1 \(player 0\) left"
kill -TERM "$server"
wait "$server" || fail "the server ended with status $? on SIGTERM"
grep -q "stopping" "$tmp/server.log" || fail "the server did not say it was stopping"
recorded=$(sed -n 's/.*its world state hash is \([0-9a-f]*\).*/\1/p' "$tmp/server.log")
[ -n "$recorded" ] || fail "the server did not record the game"
replayed=$("$DRIFTWING_BIN" --data "$FIELD_DATA" --play "$tmp/game.rec") || fail "the replay failed: $replayed"
[ "$replayed" = "world state hash: $recorded" ] || fail "the replay ended at $replayed, the server at $recorded"
echo "ok: the recorded game replays to the server's world ($recorded)"
echo "server and bots test passed"
