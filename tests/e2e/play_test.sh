#!/usr/bin/env bash
# A game as a player plays it: start it from the menu, look around with the
# mouse, drive, fire a rocket, leave to the menu and resume, end the game and
# start another, quit. In play the pointer is hidden and SDL reads the mouse
# in relative mode, so the pointer is moved with relative motion only.
source "$(dirname "$0")/lib.sh"

# Where the menu draws its entries.
PLAY=(590 302)    # main menu: "Play Game"
RESUME=(600 252)  # in-game menu: "Resume Game"
END=(580 302)     # in-game menu: "End Game"
QUIT=(480 505)    # both menus: "Quit"
YES=(420 368)     # quit page: "Yes"

# Fraction of bright red or white pixels in a box: menu text on the dark
# background, white or, under the pointer, red.
text_fraction() { fraction "$@" "r>0.85"; }

# Pixels that differ between two shots below the middle of the screen, which
# holds only ground and walls while the view looks down: the drifting clouds
# and the HUD's changing numbers stay out of it.
changed_below_middle() {
  convert "$1" -crop 1024x348+0+420 +repage "$E2E_TMP/a.png"
  convert "$2" -crop 1024x348+0+420 +repage "$E2E_TMP/b.png"
  compare -metric AE -fuzz 1% "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1 || true
}

# Both menus end with "Quit"; only the in-game one begins with "Resume Game"
# (and "End Game"), one row above where the main menu's "Play Game" stands.
shows_in_game_menu() {
  above "$(text_fraction "$1" 490 45 410 230)" 0.1 &&
    above "$(text_fraction "$1" 350 45 410 280)" 0.1 && ! is_play_frame "$1"
}
shows_main_menu() {
  ! above "$(text_fraction "$1" 490 45 410 230)" 0.01 &&
    above "$(text_fraction "$1" 370 45 410 280)" 0.1 &&
    above "$(text_fraction "$1" 150 45 410 482)" 0.1 && ! is_play_frame "$1"
}

# Waits until two shots 0.7 s apart show the same view below the middle;
# sets STILL to the second. A view that keeps turning never gets there.
wait_still() {
  local name=$1 deadline=$((SECONDS + 30)) first
  while :; do
    first=$(e2e_shot "$name-first")
    sleep 0.7
    STILL=$(e2e_shot "$name")
    [ "$(changed_below_middle "$first" "$STILL")" -lt 2000 ] && return 0
    [ $SECONDS -lt $deadline ] || e2e_fail "$name: the view did not come to rest ($STILL)"
  done
}
# SHOT REFERENCE: the view below the middle differs from the reference shot.
moved_from() { [ "$(changed_below_middle "$2" "$1")" -gt 20000 ]; }

# Escape, held longer than the 250 ms wait, leaves play for the in-game
# menu, which ignores the key until it is released.
escape_to_menu() {
  e2e_key Escape 0.5
  e2e_wait_shot "$1" 30 shows_in_game_menu
}

e2e_start_display
e2e_start_game
e2e_wait_shot menu 20 shows_main_menu

# "Play Game" loads the level and enters play.
e2e_click_until playing "${PLAY[@]}" is_play_frame
echo "ok: Play Game shows the level"

# Look down: pitch stops at straight down, then come back up part of the way.
# Below the middle of the screen there is then only ground.
for _ in 1 2 3; do e2e_move_relative 0 300; done
e2e_move_relative 0 -200
wait_still look-before
before=$STILL

# One movement of the mouse turns the view once; then the view holds still
# (the pointer is recentred every poll, so the same offset is not read again).
e2e_move_relative 120 0
e2e_wait_shot look-turned 20 moved_from "$before"
wait_still look-held
held=$STILL
echo "ok: the mouse turns the view once, then it holds still"

# Holding W drives the ship forward; S brakes it again.
e2e_key w 0.8
e2e_wait_shot drove 20 moved_from "$held"
e2e_key s 0.8
echo "ok: W drives the ship"

# A click fires a rocket down into the ground just ahead; its explosion
# fills the frame with orange light for a second. Frames are slow while it
# burns close to the eye, so the screen is sampled quickly for a while.
xdotool mousedown 1 sleep 0.3 mouseup 1
for i in $(seq 1 50); do
  xwd -root -silent -display "$DISPLAY" >"$E2E_TMP/fire$i.xwd"
  sleep 0.1
done
lit=""
for i in $(seq 1 50); do
  read -r r g b <<<"$(convert "xwd:$E2E_TMP/fire$i.xwd" -resize 1x1\! \
    -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]" info:)"
  if [ "$r" -gt 100 ] && [ "$r" -gt $((b + 60)) ]; then
    lit=$i
    convert "xwd:$E2E_TMP/fire$i.xwd" "$E2E_ARTIFACTS/explosion.png"
    break
  fi
done
[ -n "$lit" ] || {
  convert "xwd:$E2E_TMP/fire50.xwd" "$E2E_ARTIFACTS/no-explosion.png"
  e2e_fail "no explosion lit up the frame after firing"
}
echo "ok: a fired rocket explodes and lights up the frame (sample $lit)"
rest=$(e2e_shot before-menu)

# Escape held for 0.8 s shows the in-game menu, which stays.
e2e_key Escape 0.8
e2e_wait_shot escape-menu 30 shows_in_game_menu
sleep 2
shot=$(e2e_shot escape-menu-later)
shows_in_game_menu "$shot" || e2e_fail "the menu went back to play while Escape was held ($shot)"
echo "ok: Escape held shows the menu with Resume Game and End Game, and it stays"

# The pointer goes to the top of the screen in the menu; Escape held for
# 0.8 s resumes once and play stays. Had the view followed the pointer it
# would have pitched up by some 70 degrees from the ground to the sky.
sky_fraction() { fraction "$1" 1024 700 0 68 "b>0.45&&b>r+0.15"; }
above 0.01 "$(sky_fraction "$rest")" || e2e_fail "the view before the menu shows sky already ($rest)"
e2e_move 512 2
e2e_key Escape 0.8
e2e_wait_shot escape-resumed 30 is_play_frame
sleep 2
shot=$(e2e_shot escape-resumed-later)
is_play_frame "$shot" || e2e_fail "play went back to the menu while Escape was held ($shot)"
sky=$(sky_fraction "$shot")
above 0.01 "$sky" || e2e_fail "the view jumped to the sky on resuming ($sky of the frame, $shot)"
echo "ok: Escape held in the menu resumes once, and the view did not jump (sky $sky)"

escape_to_menu escape-menu-again
e2e_click_until resumed "${RESUME[@]}" is_play_frame
echo "ok: Resume Game returns to play"

# End the game, then start a new one.
escape_to_menu before-end
e2e_click_until ended "${END[@]}" shows_main_menu
e2e_click_until playing-again "${PLAY[@]}" is_play_frame
echo "ok: End Game, then Play Game starts again"

# "Quit", then "Yes", from the in-game menu ends the program normally.
escape_to_menu before-quit
quit_page() { at_least "$1" $(row_box -0.5 0.1 0.2) white 50; }
e2e_click_until quit-page "${QUIT[@]}" quit_page
for _ in 1 2 3; do
  e2e_click "${YES[@]}"
  e2e_wait_exit 10
  [ "$GAME_STATUS" = timeout ] || break
done
[ "$GAME_STATUS" = 0 ] || e2e_fail "quitting ended with status $GAME_STATUS"
echo "ok: Quit, Yes ends the game"

# --window plays in a 1024 x 768 window, not full screen, and mouse-look
# works there: play grabs the pointer.
e2e_start_game -- --window
e2e_wait_log 10 "video mode 1024 x 768, in a window"
window=$(xdotool search --name '^Driftwing$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = 1024 ] && [ "$HEIGHT" = 768 ] || e2e_fail "--window: a ${WIDTH}x$HEIGHT window"
! xprop -id "$window" _NET_WM_STATE | grep -q FULLSCREEN || e2e_fail "--window: full screen"
e2e_click_until window-playing "${PLAY[@]}" is_play_frame
for _ in 1 2 3; do e2e_move_relative 0 300; done
e2e_move_relative 0 -200
wait_still window-look-before
e2e_move_relative 120 0
e2e_wait_shot window-look-turned 20 moved_from "$STILL"
echo "ok: --window opens a 1024 x 768 window in which the mouse turns the view"
kill -TERM "$GAME_PID"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "SIGTERM ended the windowed game with status $GAME_STATUS"
echo "play test passed"
