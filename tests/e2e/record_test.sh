#!/usr/bin/env bash
# A recording ended by a signal, as when its terminal closes (SIGHUP) or the
# system shuts down (SIGTERM), is kept whole in place of the old file, with
# no temporary file left, and replays to the world it recorded; the game
# then ends by that signal.
source "$(dirname "$0")/lib.sh"
e2e_start_display

for signal in HUP TERM; do
  demo="$E2E_TMP/$signal.dem"
  echo OLD >"$demo"
  e2e_start_game -- --window --record "$demo"
  # Some frames of the menu under a moving pointer: the temporary file grows.
  e2e_move 300 300
  e2e_move 500 400
  deadline=$((SECONDS + 60))
  until [ "$(stat -c %s "$E2E_TMP"/"$signal".dem.partial-* 2>/dev/null || echo 0)" -gt 2000 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the recording's temporary file did not grow"
    sleep 0.2
  done
  [ "$(cat "$demo")" = OLD ] || e2e_fail "the old file changed while recording"
  kill -"$signal" "$GAME_PID"
  e2e_wait_exit 60
  status=$GAME_STATUS
  e2e_game_log >"$E2E_ARTIFACTS/$signal.log"
  [ "$status" = $((128 + $(kill -l "$signal"))) ] || e2e_fail "SIG$signal: exit status $status"
  grep -q "the recording ended on SIG$signal; the demo is in $demo" "$E2E_ARTIFACTS/$signal.log" ||
    e2e_fail "SIG$signal: the game did not say where the demo is"
  recorded=$(grep -o 'world state hash: [0-9a-f]*' "$E2E_ARTIFACTS/$signal.log") ||
    e2e_fail "SIG$signal: no world state hash"
  ! ls "$E2E_TMP" | grep -q partial || e2e_fail "SIG$signal: a temporary file was left"

  replayed=$(cd "$GAME_DIR" && SDL_AUDIODRIVER=dummy timeout 300 "$DRIFTWING_BIN" --window --play "$demo" 2>&1) ||
    e2e_fail "SIG$signal: the kept demo does not replay: $replayed"
  grep -qF "$recorded" <<<"$replayed" || e2e_fail "SIG$signal: replayed to another world: $replayed"
done
echo "both recordings kept whole and replayed"
