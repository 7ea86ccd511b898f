#!/usr/bin/env bash
# Starting on a 1280 x 1024 screen, larger than the game's mode as most
# players' desktops are: 20 starts with no options each reach the menu and
# run its first frames without a crash, and SIGTERM then ends the game with
# status 0. With E2E_VALGRIND set, one more start runs under valgrind's
# memcheck, which sees into the libraries the sanitizers do not instrument
# (Mesa, SDL): start-up and the first menu frames write nowhere they should
# not and free nothing twice.
source "$(dirname "$0")/lib.sh"

# The turning ship has moved since FIRST: later menu frames have been drawn.
frames_drawn_since() {
  convert "$1" -crop 400x300+440+360 +repage "$E2E_TMP/now.png"
  [ "$(compare -metric AE -fuzz 2% "$2" "$E2E_TMP/now.png" null: 2>&1 || true)" -gt 100 ]
}
first_frames() {
  convert "$E2E_SHOT" -crop 400x300+440+360 +repage "$E2E_TMP/first.png"
  e2e_wait_shot "$1-later" "$2" frames_drawn_since "$E2E_TMP/first.png"
}
stop_cleanly() {
  kill -TERM "$GAME_PID"
  e2e_wait_exit "$2"
  [ "$GAME_STATUS" = 0 ] || e2e_fail "$1: the game ended with status $GAME_STATUS"
}

e2e_start_display 1280x1024
for i in $(seq 20); do
  e2e_start_game
  first_frames "start$i" 30
  stop_cleanly "start $i" 20
done
echo "ok: 20 starts on a 1280 x 1024 screen reached the menu and ended cleanly"

if [ -n "${E2E_VALGRIND:-}" ]; then
  log="$E2E_ARTIFACTS/memcheck.log"
  E2E_WRAPPER=(valgrind --tool=memcheck --num-callers=30 "--log-file=$log")
  E2E_START_SECONDS=900 e2e_start_game
  first_frames memcheck 300
  stop_cleanly "under memcheck" 300
  grep -E "ERROR SUMMARY" "$log" | tail -n 1
  if grep -qE "Invalid (write|free)|Mismatched free|Source and destination overlap" "$log"; then
    e2e_fail "memcheck saw a bad write or free during start-up and the first menu frames ($log)"
  fi
  echo "ok: memcheck saw no invalid write or free from start-up to the first menu frames"
fi
echo "start test passed"
