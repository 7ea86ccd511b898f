#!/usr/bin/env bash
# The menu as a player meets it: the title screen over its background, a
# button turning red under the pointer, the pages reached by clicking, and
# the two ways out: "Quit" then "Yes", and closing the window.
source "$(dirname "$0")/lib.sh"
: "${E2E_SEND_WINDOW_CLOSE:?set E2E_SEND_WINDOW_CLOSE to the send_window_close tool}"

# Menu coordinates span -0.75..0.75 over the 1024 x 768 window, y up.
pixel_x() { awk -v x="$1" 'BEGIN { printf "%d", (x + 0.75) / 1.5 * 1024 }'; }
pixel_y() { awk -v y="$1" 'BEGIN { printf "%d", (0.75 - y) / 1.5 * 768 }'; }

# A point just inside a button whose text starts at menu (X, Y): a little
# right of its left end, RISE (default 0.025) above its base line.
button_point() { echo "$(pixel_x "$(awk -v x="$1" 'BEGIN { print x + 0.05 }')")" \
                      "$(pixel_y "$(awk -v y="$2" -v r="${3:-0.025}" 'BEGIN { print y + r }')")"; }

# Pixels of one colour in a box of a screenshot: FILE X Y W H white|red.
count() {
  local expr
  case $6 in
    white) expr='r>0.85&&g>0.85&&b>0.85' ;;
    red) expr='r>0.8&&g<0.25&&b<0.25' ;;
  esac
  convert "$1" -crop "$4x$5+$2+$3" +repage -fx "$expr" -format '%[fx:int(mean*w*h+0.5)]' info:
}

# The box a row of text fills above its base line: from menu (X, Y), W menu
# units wide, 0.05 high.
row_box() {
  local x0 y0 x1
  x0=$(pixel_x "$1")
  y0=$(pixel_y "$(awk -v y="$2" 'BEGIN { print y + 0.05 }')")
  x1=$(pixel_x "$(awk -v x="$1" -v w="$3" 'BEGIN { print x + w }')")
  echo "$x0 $y0 $((x1 - x0)) 25"
}

expect_at_least() {  # WHAT COUNT MIN
  [ "$2" -ge "$3" ] || e2e_fail "$1: $2 pixels, expected at least $3"
  echo "ok: $1 ($2 pixels)"
}
expect_none() {  # WHAT COUNT
  [ "$2" -eq 0 ] || e2e_fail "$1: $2 pixels, expected none"
  echo "ok: $1"
}

play_row=$(row_box -0.15 0.125 0.3)
options_row=$(row_box -0.15 0.025 0.3)
quit_row=$(row_box -0.15 -0.275 0.15)
title_row=$(row_box -0.3 0.4 0.8)
# Where only the options page has text: left of the main page's column.
options_page_mark=$(row_box -0.2 0.225 0.04)
# Where only the quit page has text: the start of its question.
quit_page_mark=$(row_box -0.5 0.1 0.2)

read -r play_x play_y <<<"$(button_point -0.15 0.125)"
read -r options_x options_y <<<"$(button_point -0.15 0.025)"
read -r quit_x quit_y <<<"$(button_point -0.15 -0.275)"
read -r main_menu_x main_menu_y <<<"$(button_point -0.2 -0.175)"
read -r yes_x yes_y <<<"$(button_point -0.2 0.0)"
# Clicks are level-triggered: a press the game still sees after the 200 ms
# pause that follows an action (a loaded machine can deliver the release
# late) clicks again on the new page. Each point below is over nothing, or
# over a button that does nothing, on the page its button leads to; "No" is
# pressed low, under the main page's "Options".
read -r no_x no_y <<<"$(button_point 0.0 0.0 0.012)"

e2e_start_display
e2e_start_game

# The title screen: the background image, white title and buttons.
e2e_move 20 20
shot=$(e2e_shot main)
read -r r g b <<<"$(convert "$shot" -crop 1024x160+0+600 +repage \
  -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:)"
read -r er eg eb <<<"$(convert "$DRIFTWING_DATA/textures/menu_bg.bmp" -resize '1024x768!' \
  -crop 1024x160+0+600 +repage \
  -format '%[fx:int(255*mean.r)] %[fx:int(255*mean.g)] %[fx:int(255*mean.b)]' info:)"
for pair in "$r $er" "$g $eg" "$b $eb"; do
  set -- $pair
  [ $(( $1 > $2 ? $1 - $2 : $2 - $1 )) -le 24 ] ||
    e2e_fail "background: mean colour $r $g $b where textures/menu_bg.bmp has $er $eg $eb"
done
echo "ok: background ($r $g $b, image $er $eg $eb)"
expect_at_least "title" "$(count "$shot" $title_row white)" 300
expect_at_least "Play Game" "$(count "$shot" $play_row white)" 200
expect_at_least "Options" "$(count "$shot" $options_row white)" 200
expect_at_least "Quit" "$(count "$shot" $quit_row white)" 100
expect_none "red with the pointer away" "$(count "$shot" $play_row red)"

# Under the pointer "Play Game" turns red, and only it.
e2e_move "$play_x" "$play_y"
shot=$(e2e_shot hover)
expect_at_least "Play Game red under the pointer" "$(count "$shot" $play_row red)" 200
expect_none "Options red" "$(count "$shot" $options_row red)"
expect_at_least "Options white" "$(count "$shot" $options_row white)" 200

# "Options" opens the options page; "Main Menu" comes back.
e2e_click "$options_x" "$options_y"
shot=$(e2e_shot options)
expect_at_least "options page" "$(count "$shot" $options_page_mark white)" 20
expect_none "main page's Quit on the options page" "$(count "$shot" $quit_row white)"
e2e_click "$main_menu_x" "$main_menu_y"
shot=$(e2e_shot back_to_main)
expect_at_least "main page again" "$(count "$shot" $quit_row white)" 100
expect_none "options page after Main Menu" "$(count "$shot" $options_page_mark white)"

# "Quit" asks; "No" goes back to the main page.
e2e_click "$quit_x" "$quit_y"
shot=$(e2e_shot quit_page)
expect_at_least "quit question" "$(count "$shot" $quit_page_mark white)" 50
e2e_click "$no_x" "$no_y"
shot=$(e2e_shot after_no)
expect_none "quit question after No" "$(count "$shot" $quit_page_mark white)"
expect_at_least "main page after No" "$(count "$shot" $quit_row white)" 100
kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended after No"

# "Quit" then "Yes" ends the game cleanly.
e2e_click "$quit_x" "$quit_y"
e2e_click "$yes_x" "$yes_y"
e2e_wait_exit 20
status=$GAME_STATUS
[ "$status" = 0 ] || e2e_fail "Quit, Yes: exit status $status"
echo "ok: Quit, Yes ends the game with status 0"

# Closing the window from the menu ends the game cleanly too.
e2e_start_game
window=$(xdotool search --name '^Driftwing$' | head -n 1)
"$E2E_SEND_WINDOW_CLOSE" "$window" || e2e_fail "could not send the close request"
e2e_wait_exit 20
status=$GAME_STATUS
[ "$status" = 0 ] || e2e_fail "closing the window: exit status $status"
echo "ok: closing the window ends the game with status 0"
echo "menu test passed"
