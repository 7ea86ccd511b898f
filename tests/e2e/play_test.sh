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

# Fraction (0..1) of near-white pixels in a box: the HUD's line at the top
# left of a play frame.
white_fraction() {
  convert "$1" -crop "$2x$3+$4+$5" +repage -fx "r>0.85&&g>0.85&&b>0.85" -format "%[fx:mean]" info:
}
# Fraction of bright red or white pixels in a box: menu text on the dark
# background, white or, under the pointer, red.
text_fraction() {
  convert "$1" -crop "$2x$3+$4+$5" +repage -fx "r>0.85" -format "%[fx:mean]" info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Pixels that differ between two shots below the middle of the screen, which
# holds only ground and walls while the view looks down: the drifting clouds
# and the HUD's changing numbers stay out of it.
changed_below_middle() {
  convert "$1" -crop 1024x348+0+420 +repage "$E2E_TMP/a.png"
  convert "$2" -crop 1024x348+0+420 +repage "$E2E_TMP/b.png"
  compare -metric AE -fuzz 1% "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1 || true
}

is_play_frame() { above "$(white_fraction "$1" 430 45 20 25)" 0.05; }
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

# Escape leaves play for the in-game menu. Play reads the key once per
# frame and pauses 250 ms; the menu then takes an Escape still held as
# "resume". So a tap must outlast a frame yet end within the pause, and on a
# busy machine a slow frame can swallow it: tap again until the menu shows.
escape_to_menu() {
  local name=$1 shot
  for _ in 1 2 3 4; do
    e2e_key Escape 0.15
    sleep 1
    shot=$(e2e_shot "$name")
    shows_in_game_menu "$shot" && return 0
  done
  e2e_fail "Escape did not show the menu with \"Resume Game\" ($shot)"
}

e2e_start_display
e2e_start_game

shot=$(e2e_shot menu)
shows_main_menu "$shot" || e2e_fail "the main menu is not shown ($shot)"

# "Play Game" loads the level and enters play.
e2e_click "${PLAY[@]}"
sleep 3
shot=$(e2e_shot playing)
is_play_frame "$shot" || e2e_fail "\"Play Game\" did not show the level ($shot)"
echo "ok: Play Game shows the level"

# Look down: pitch stops at straight down, then come back up part of the way.
# Below the middle of the screen there is then only ground.
for _ in 1 2 3; do e2e_move_relative 0 300; done
e2e_move_relative 0 -200
sleep 1.5
still1=$(e2e_shot look-before)
sleep 0.7
still2=$(e2e_shot look-before-again)
changed=$(changed_below_middle "$still1" "$still2")
[ "$changed" -lt 2000 ] || e2e_fail "the view moves without input ($changed pixels)"

# One movement of the mouse turns the view once; then the view holds still
# (the pointer is recentred every poll, so the same offset is not read again).
e2e_move_relative 120 0
sleep 0.8
turned=$(e2e_shot look-turned)
sleep 1.0
held=$(e2e_shot look-held)
turn=$(changed_below_middle "$still2" "$turned")
[ "$turn" -gt 20000 ] || e2e_fail "moving the mouse did not turn the view ($turn pixels)"
drift=$(changed_below_middle "$turned" "$held")
[ "$drift" -lt 2000 ] || e2e_fail "the view kept turning after the mouse stopped ($drift pixels)"
echo "ok: the mouse turns the view once ($turn pixels changed), then it holds still ($drift)"

# Holding W drives the ship forward; S brakes it again.
e2e_key w 0.8
moved=$(e2e_shot drove)
changed=$(changed_below_middle "$held" "$moved")
[ "$changed" -gt 20000 ] || e2e_fail "holding W did not move the view ($changed pixels)"
e2e_key s 0.8
echo "ok: W drives the ship"

# A click fires a rocket down into the ground just ahead; its explosion
# fills the frame with orange light for a second. Frames are slow while it
# burns close to the eye, so the screen is sampled quickly for a while.
xdotool mousedown 1
sleep 0.3  # at least one frame, however slow
xdotool mouseup 1
for i in $(seq 1 25); do
  xwd -root -silent -display "$DISPLAY" >"$E2E_TMP/fire$i.xwd"
  sleep 0.1
done
lit=""
for i in $(seq 1 25); do
  read -r r g b <<<"$(convert "xwd:$E2E_TMP/fire$i.xwd" -resize 1x1\! \
    -format "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]" info:)"
  if [ "$r" -gt 100 ] && [ "$r" -gt $((b + 60)) ]; then
    lit=$i
    convert "xwd:$E2E_TMP/fire$i.xwd" "$E2E_ARTIFACTS/explosion.png"
    break
  fi
done
[ -n "$lit" ] || {
  convert "xwd:$E2E_TMP/fire25.xwd" "$E2E_ARTIFACTS/no-explosion.png"
  e2e_fail "no explosion lit up the frame after firing"
}
echo "ok: a fired rocket explodes and lights up the frame (sample $lit)"
sleep 1.5

escape_to_menu escape-menu
echo "ok: Escape shows the menu with Resume Game and End Game"

e2e_click "${RESUME[@]}"
sleep 1
shot=$(e2e_shot resumed)
is_play_frame "$shot" || e2e_fail "\"Resume Game\" did not return to play ($shot)"
echo "ok: Resume Game returns to play"

# End the game, then start a new one.
escape_to_menu before-end
e2e_click "${END[@]}"
sleep 1
shot=$(e2e_shot ended)
shows_main_menu "$shot" || e2e_fail "\"End Game\" did not return to the main menu ($shot)"
e2e_click "${PLAY[@]}"
sleep 3
shot=$(e2e_shot playing-again)
is_play_frame "$shot" || e2e_fail "a second \"Play Game\" did not show the level ($shot)"
echo "ok: End Game, then Play Game starts again"

# "Quit", then "Yes", from the in-game menu ends the program normally.
escape_to_menu before-quit
e2e_click "${QUIT[@]}"
e2e_click "${YES[@]}"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "quitting ended with status $GAME_STATUS"
echo "play test passed"
