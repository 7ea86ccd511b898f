#!/usr/bin/env bash
# The menu as a player uses it: a button turns red under the pointer. The
# video page: step "Resolution" to 800 x 600 and accept; the menu still
# covers the whole screen and the drawn buttons still answer where they are
# drawn; play draws the level at that size; then back to 1024 x 768. "Help"
# and "About" open their pages and "Main Menu" returns. Closing the window
# ends the game.
source "$(dirname "$0")/lib.sh"
: "${E2E_SEND_WINDOW_CLOSE:?set E2E_SEND_WINDOW_CLOSE to the send_window_close tool}"

# Points inside buttons, each over nothing that acts on the page it leads to
# (clicks are level-triggered).
read -r options_x options_y <<<"$(button_point -0.15 0.025)"
read -r video_x video_y <<<"$(button_point 0.35 0.225)"        # "Video Options", right end
read -r resolution_x resolution_y <<<"$(button_point -0.45 0.225)"
read -r accept_x accept_y <<<"$(button_point -0.2 0.075 0.015)"
read -r main_menu_x main_menu_y <<<"$(button_point -0.2 -0.175)"
read -r play_x play_y <<<"$(button_point 0.2 0.125)"
read -r help_x help_y <<<"$(button_point -0.15 -0.075)"
read -r about_x about_y <<<"$(button_point -0.15 -0.175)"

play_row=$(row_box -0.15 0.125 0.3)
options_row=$(row_box -0.15 0.025 0.3)
options_mark=$(row_box -0.2 0.225 0.04)       # only the options page has text here
video_mark=$(row_box -0.45 0.225 0.2)         # "Resolution"
size_label=$(row_box 0.1 0.225 0.6)           # the size beside it
quit_row=$(row_box -0.15 -0.275 0.15)         # only the main page has text here
help_mark=$(row_box 0.1 0.15 0.3)             # "thrust" on the help page
about_mark=$(row_box -0.45 0.225 0.3)         # "Driftwing" on the about page

options_page() { e2e_shows_menu "$1" && at_least "$1" $options_mark white 20; }
video_page() { at_least "$1" $video_mark white 100 && at_least "$1" $size_label white 50; }
main_page() {
  e2e_shows_menu "$1" && at_least "$1" $quit_row white 100 && none "$1" $options_mark white
}
help_page() {
  at_least "$1" $help_mark white 50 && none "$1" $quit_row white
}
about_page() { at_least "$1" $about_mark white 50 && none "$1" $help_mark white; }
play_under_pointer() {
  at_least "$1" $play_row red 200 && none "$1" $options_row red &&
    at_least "$1" $options_row white 200
}
play_frame() { is_play_frame "$1" && ! e2e_shows_menu "$1"; }
crop_label() { convert "$1" -crop "$(set -- $size_label; echo "${3}x${4}+${1}+${2}")" +repage "$2"; }
keep_label() { crop_label "$1" "$E2E_TMP/label.png"; }
label_changed() {
  crop_label "$1" "$E2E_TMP/label-now.png"
  [ "$(compare -metric AE "$E2E_TMP/label.png" "$E2E_TMP/label-now.png" null: 2>&1 || true)" -gt 50 ]
}

# Steps "Resolution" from the size shown to SIZE ("800 x 600"), one click at
# a time, each seen to change the label; then accepts it.
choose_size() {
  local want=$1 sizes from n i k clicks
  sizes=$(grep -m1 'sizes offered:' "$E2E_TMP/game.log" | sed 's/.*sizes offered: //')
  IFS=',' read -r -a list <<<"$sizes"
  n=${#list[@]}
  from=$(grep 'video mode' "$E2E_TMP/game.log" | tail -n 1 | sed 's/.*video mode \([0-9]* x [0-9]*\).*/\1/')
  for i in "${!list[@]}"; do
    list[i]=$(echo "${list[i]}" | xargs)
    [ "${list[i]}" = "$from" ] && k=$i
    [ "${list[i]}" = "$want" ] && clicks=$i
  done
  [ -n "${k:-}" ] && [ -n "${clicks:-}" ] || e2e_fail "sizes offered ($sizes) lack $from or $want"
  clicks=$(((clicks - k + n) % n))
  for _ in $(seq "$clicks"); do
    keep_label "$E2E_SHOT"
    e2e_click_until resolution "$resolution_x" "$resolution_y" label_changed
  done
  e2e_click_until accepted "$accept_x" "$accept_y" options_page
  e2e_wait_log 20 "video mode $want, full screen"
}

open_video_page() {
  e2e_click_until options "$options_x" "$options_y" options_page
  e2e_click_until video_page "$video_x" "$video_y" video_page
}

e2e_start_display
e2e_start_game
e2e_wait_shot main 20 main_page

# Under the pointer "Play Game" turns red, and only it.
e2e_move "$play_x" "$play_y"
e2e_wait_shot hover 20 play_under_pointer
echo "ok: Play Game red under the pointer"

# 800 x 600: full screen, the smaller picture is scaled over the whole screen.
open_video_page
choose_size "800 x 600"
echo "ok: Accept Changes set 800 x 600 and the menu covers the screen ($E2E_SHOT)"
e2e_click_until main_at_800 "$main_menu_x" "$main_menu_y" main_page
echo "ok: the drawn \"Main Menu\" answers a click at 800 x 600"
e2e_click_until play_at_800 "$play_x" "$play_y" play_frame
echo "ok: play draws the level at 800 x 600 ($E2E_SHOT)"

# Back to the menu, and to 1024 x 768.
e2e_key Escape 0.3
e2e_wait_shot in_game_menu 20 main_page
open_video_page
choose_size "1024 x 768"
echo "ok: back to 1024 x 768"
e2e_click_until main_at_1024 "$main_menu_x" "$main_menu_y" main_page

# "Help" and "About", each with "Main Menu" back.
e2e_click_until help "$help_x" "$help_y" help_page
echo "ok: Help shows the controls ($E2E_SHOT)"
e2e_click_until help_back "$main_menu_x" "$main_menu_y" main_page
e2e_click_until about "$about_x" "$about_y" about_page
echo "ok: About shows the name, version and licence ($E2E_SHOT)"
e2e_click_until about_back "$main_menu_x" "$main_menu_y" main_page
echo "ok: Main Menu returns from Help and About"

# Closing the window, as a window manager's close button does, ends the game.
"$E2E_SEND_WINDOW_CLOSE" "$(xdotool search --name '^Driftwing$' | head -n 1)" ||
  e2e_fail "could not send the close request"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "closing the window: exit status $GAME_STATUS"
echo "ok: closing the window ends the game with status 0"
echo "video test passed"
