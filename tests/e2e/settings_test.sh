#!/usr/bin/env bash
# Settings that stay, as a player sets them: through the menu the mouse
# sensitivity goes from 5 to 10, thrust moves from W to T and the effects
# are muted; Accept, Quit. Started again, the game finds them in its file:
# T thrusts and W does not, 100 px of mouse turn the view as 200 px did
# before, and a launch is silent. The mixer's output goes to a file
# (SDL's disk driver), so the test hears what the mixer was told to play.
# Played on the arena without drones, where nothing else moves the view.
source "$(dirname "$0")/lib.sh"

SETTINGS="$XDG_CONFIG_HOME/driftwing/settings.toml"

# How different two shots are below the middle of the picture (ground and
# walls; the HUD and the drifting clouds stay out), scaled down so that a
# settled craft's tiny shifts do not count: the normalised RMSE, 0 to 1.
# A 20-degree turn is some 0.06.
difference() {
  convert "$1" -crop 1024x348+0+420 +repage -scale 64x22! "$E2E_TMP/a.png"
  convert "$2" -crop 1024x348+0+420 +repage -scale 64x22! "$E2E_TMP/b.png"
  compare -metric RMSE "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}
# Two shots 0.7 s apart that agree: the view has come to rest. Sets STILL.
wait_still() {
  local deadline=$((SECONDS + 30)) first
  while :; do
    first=$(e2e_shot "$1-first")
    sleep 0.7
    STILL=$(e2e_shot "$1")
    above 0.01 "$(difference "$first" "$STILL")" && return 0
    [ $SECONDS -lt $deadline ] || e2e_fail "$1: the view did not come to rest ($STILL)"
  done
}
moved_from() { above "$(difference "$1" "$2")" 0.03; }

# Whether the mixer has played anything but silence so far.
heard() { [ "$(tr -d '\0' <"$GAME_DIR/sdlaudio.raw" 2>/dev/null | head -c 1 | wc -c)" = 1 ]; }

# Menu places: a point on a row of text that starts at menu X, Y.
click() { e2e_click $(button_point "$1" "$2" "${3:-0.025}"); }
small() { click "$1" "$2" 0.015; }  # a row of the smaller letters
# Pages, by text where only they have it.
options_page() { at_least "$1" $(row_box -0.2 0.225 0.2) white 50; }
main_page() { at_least "$1" $(row_box -0.15 -0.275 0.15) white 50 && ! options_page "$1"; }
controls_page() { at_least "$1" $(row_box -0.6 -0.225 0.1) white 30; }  # "Fire"
sound_page() { at_least "$1" $(row_box -0.6 0.225 0.2) white 30 && ! controls_page "$1"; }
waits_for_key() { at_least "$1" $(row_box 0.25 0.075 0.15) white 30; }  # "press a key"
bound() { none "$1" $(row_box 0.25 0.075 0.15) white; }
quit_page() { at_least "$1" $(row_box -0.5 0.1 0.2) white 50; }

e2e_start_display
e2e_start_game SDL_AUDIODRIVER=disk

# Today's settings: the view after 100 and 200 px of mouse at sensitivity 5.
e2e_click_until playing 590 302 is_play_frame
wait_still start
start=$STILL
e2e_move_relative 100 0
wait_still turned-100
turned100=$STILL
e2e_move_relative 100 0
wait_still turned-200
turned200=$STILL
moved_from "$turned200" "$turned100" || e2e_fail "the second 100 px did not turn the view ($turned200)"
# A launch at full volume is heard.
heard && e2e_fail "the mixer played something before any launch"
xdotool mousedown 1 sleep 0.3 mouseup 1
deadline=$((SECONDS + 20))
until heard; do
  [ $SECONDS -lt $deadline ] || e2e_fail "a launch at full volume was not heard"
  sleep 0.2
done
echo "ok: at the defaults the mouse turns the view and a launch is heard"

# End the game; Options, Control Options: sensitivity 5 -> 10, thrust on T.
e2e_key Escape 0.5
e2e_wait_shot in-game-menu 30 e2e_shows_menu
e2e_click_until ended 580 302 main_page
e2e_click_until options $(button_point -0.15 0.025) options_page
e2e_click_until controls $(button_point -0.2 0.025) controls_page
for _ in 1 2 3 4 5; do
  small -0.6 0.225
  sleep 0.4
done
e2e_click_until thrust-waits $(button_point -0.6 0.075 0.015) waits_for_key
e2e_key t
e2e_wait_shot thrust-bound 20 bound
e2e_click_until controls-accepted $(button_point -0.2 -0.375 0.015) options_page
# Sound Options: the effects volume steps from 10 round to off.
e2e_click_until sound $(button_point -0.2 0.125) sound_page
small -0.6 0.225
sleep 0.4
e2e_click_until sound-accepted $(button_point -0.2 -0.075 0.015) options_page
e2e_click_until main-again $(button_point -0.2 -0.175) main_page
e2e_click_until quit-page $(button_point -0.15 -0.275) quit_page
for _ in 1 2 3; do
  click -0.2 0.0
  e2e_wait_exit 10
  [ "$GAME_STATUS" = timeout ] || break
done
[ "$GAME_STATUS" = 0 ] || e2e_fail "quitting ended with status $GAME_STATUS"
for line in "mouse_sensitivity = 10" "thrust = 'T'" "effects_volume = 0" "back = 'S'"; do
  grep -qxF "$line" "$SETTINGS" || e2e_fail "the settings file lacks \"$line\": $(cat "$SETTINGS")"
done
echo "ok: the menu's changes are in $SETTINGS"

# Started again: the settings hold. A round of 30 s (this run only) ends
# with the tally, which counts the shot.
E2E_KEEP_SETTINGS=1 e2e_start_game SDL_AUDIODRIVER=disk -- --round 30
e2e_click_until playing-again 590 302 is_play_frame
wait_still start-again
above 0.01 "$(difference "$STILL" "$start")" || e2e_fail "a new game starts elsewhere ($STILL)"
e2e_move_relative 100 0
wait_still turned-again
turned=$STILL
above 0.015 "$(difference "$turned" "$turned200")" ||
  e2e_fail "100 px at sensitivity 10 did not turn as 200 px did at 5 ($turned, $turned200)"
moved_from "$turned" "$turned100" || e2e_fail "the view turned as at sensitivity 5 ($turned)"
echo "ok: the turn rate follows the sensitivity"

e2e_key w 0.8
wait_still w-held
above 0.01 "$(difference "$STILL" "$turned")" || e2e_fail "W still thrusts ($STILL)"
e2e_key t 0.8
e2e_wait_shot t-held 20 moved_from "$turned"
echo "ok: T thrusts and W no longer does"

xdotool mousedown 1 sleep 0.3 mouseup 1
e2e_wait_log 120 "round over: score [0-9]+, shots 1,"
heard && e2e_fail "the launch was heard with the effects muted"
grep -q "settings" "$E2E_TMP/game.log" && e2e_fail "the settings file was found damaged: $(e2e_game_log)"
kill -TERM "$GAME_PID"
e2e_wait_exit 20
echo "ok: with the effects muted a launch is silent"
echo "settings test passed"
