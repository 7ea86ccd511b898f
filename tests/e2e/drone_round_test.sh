#!/usr/bin/env bash
# A round against a drone, as a player plays it: on the test field a drone
# hovers straight ahead of the ship in an alcove; holding the left button
# fires at it until the short round's time is up. Its rockets destroy the
# drone, the round's tally counts it, and the results page shows.
source "$(dirname "$0")/lib.sh"

read -r play_x play_y <<<"$(button_point 0.2 0.125)"
results_title=$(row_box -0.45 0.25 0.3)  # "Round Over"
results_page() { e2e_shows_menu "$1" && at_least "$1" $results_title white 100; }

e2e_start_display
# Each of the drone's blasts near the ship fills the view with particles,
# which the software renderer draws slowly: a short round.
e2e_start_game -- --round 10
e2e_click_until playing "$play_x" "$play_y" is_play_frame
echo "ok: Play Game starts the round"

# The HUD's score line, the second at the top left, as a mask of its pure
# white text (the clouds behind it are never quite white): as it reads at
# the start, and whether it reads otherwise now.
score_mask() {  # SHOT OUT
  e2e_picture
  convert "$1" -crop "$((PIC_H * 230 / 768))x$((PIC_H * 46 / 768))+$((PIC_X + PIC_H * 20 / 768))+$((PIC_Y + PIC_H * 72 / 768))" \
    +repage -fx "r>0.99&&g>0.99&&b>0.99" "$2"
}
score_mask "$E2E_SHOT" "$E2E_TMP/score-start.png"
score_changed() {
  score_mask "$1" "$E2E_TMP/score-now.png"
  local d
  d=$(compare -metric AE "$E2E_TMP/score-start.png" "$E2E_TMP/score-now.png" null: 2>&1 || true)
  [ "${d%% *}" -gt 20 ] && is_play_frame "$1"
}

# Hold the trigger through the round: a rocket every 400 ms, whenever the
# ship is whole.
xdotool mousedown 1
e2e_wait_shot scored 600 score_changed
echo "ok: the HUD's score changed when a rocket destroyed the drone"
e2e_wait_shot results 600 results_page
xdotool mouseup 1
echo "ok: the results page shows when the round's time is up"

e2e_wait_log 10 "round over: score [0-9]+"
line=$(grep -m1 "round over:" "$E2E_TMP/game.log")
score=$(echo "$line" | sed 's/.*score \([0-9]*\),.*/\1/')
[ "$score" -ge 1 ] || e2e_fail "no drone destroyed in the round: $line"
echo "ok: the rockets destroyed the drone ($line)"

kill -TERM "$GAME_PID"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "SIGTERM ended the game with status $GAME_STATUS"
echo "drone round test passed"
