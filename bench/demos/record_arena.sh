#!/usr/bin/env bash
# Records arena.dem, the demo the frame benchmark replays: a short game on
# the default arena played with real pointer and key input on a fresh Xvfb
# screen. From the menu: Play Game, turn east and drive toward the nearest
# drones until they come and fight, look down, drive while turning, fire
# rockets into the ground ahead (their blasts fill the view), strafe, then
# Escape, Quit and Yes. Record again whenever the game's behaviour changes.
# Usage: DRIFTWING_BIN=build/driftwing DRIFTWING_DATA=build/data \
#          bench/demos/record_arena.sh [OUT]
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-$root/bench/demos/arena.dem}")
source "$root/tests/e2e/lib.sh"

e2e_start_display
GAME_DIR="$E2E_TMP/game"
cp -r "$DRIFTWING_DATA" "$GAME_DIR"
(cd "$GAME_DIR" && exec env SDL_AUDIODRIVER=dummy "$DRIFTWING_BIN" --record "$out") \
  >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!
e2e_wait_window

e2e_click 590 302  # "Play Game"
sleep 2
[ -n "${RECORD_SHOTS:-}" ] && e2e_shot play >/dev/null
e2e_move_relative 450 0  # east, toward the drones' nearest places
xdotool keydown w
sleep 5
xdotool keyup w
sleep 6  # the drones come and fire
[ -n "${RECORD_SHOTS:-}" ] && e2e_shot drones >/dev/null
e2e_move_relative 0 120  # look down ahead
xdotool keydown w
sleep 1
for _ in 1 2 3; do
  e2e_move_relative 60 0
  sleep 0.4
done
xdotool keyup w
for look in 0 90; do
  e2e_move_relative 0 "$look"  # the second blast right ahead, filling the view
  xdotool mousedown 1
  sleep 0.3
  xdotool mouseup 1
  sleep 0.4
  [ -n "${RECORD_SHOTS:-}" ] && e2e_shot "blast$SECONDS" >/dev/null
  sleep 0.8
done
xdotool keydown d
e2e_move_relative -150 -60
sleep 1
xdotool keyup d
xdotool mousedown 1
sleep 0.3
xdotool mouseup 1
sleep 1.5
# A tap of Escape must outlast a (slow) frame and end before the menu reads
# it as "resume": tap until the HUD's line at the top left is gone.
for _ in 1 2 3 4; do
  e2e_key Escape 0.2
  sleep 1
  shot=$(e2e_shot "menu$SECONDS")
  hud=$(convert "$shot" -crop 430x45+20+25 +repage -fx "r>0.85&&g>0.85&&b>0.85" -format "%[fx:mean]" info:)
  awk -v h="$hud" 'BEGIN { exit !(h < 0.02) }' && break
done
e2e_click 480 505  # "Quit"
e2e_click 420 368  # "Yes"
e2e_wait_exit 30
[ "$GAME_STATUS" = 0 ] || e2e_fail "the game did not quit cleanly (status $GAME_STATUS)"
e2e_game_log
ls -l "$out"
