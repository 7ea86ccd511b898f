#!/usr/bin/env bash
# The menu as a player meets it: the title screen over its background, a
# button turning red under the pointer, the pages reached by clicking, and
# the two ways out: "Quit" then "Yes", and closing the window.
source "$(dirname "$0")/lib.sh"
: "${E2E_SEND_WINDOW_CLOSE:?set E2E_SEND_WINDOW_CLOSE to the send_window_close tool}"

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

# What each page shows, as checks for e2e_wait_shot.
main_page() {
  at_least "$1" $title_row white 300 && at_least "$1" $play_row white 200 &&
    at_least "$1" $options_row white 200 && at_least "$1" $quit_row white 100 &&
    none "$1" $options_page_mark white
}
main_page_unlit() { main_page "$1" && none "$1" $play_row red; }
play_under_pointer() {
  at_least "$1" $play_row red 200 && none "$1" $options_row red &&
    at_least "$1" $options_row white 200
}
options_page() { at_least "$1" $options_page_mark white 20 && none "$1" $quit_row white; }
quit_page() { at_least "$1" $quit_page_mark white 50; }

e2e_start_display
# Start-up waits for the menu's background image to fill the screen.
e2e_start_game
echo "ok: the menu's background fills the screen"

# The title screen: white title and buttons, none red with the pointer away.
e2e_move 20 20
e2e_wait_shot main 20 main_page_unlit
echo "ok: title, Play Game, Options and Quit in white"

# Under the pointer "Play Game" turns red, and only it.
e2e_move "$play_x" "$play_y"
e2e_wait_shot hover 20 play_under_pointer
echo "ok: Play Game red under the pointer"

# "Options" opens the options page; "Main Menu" comes back.
e2e_click_until options "$options_x" "$options_y" options_page
echo "ok: Options shows the options page"
e2e_click_until back_to_main "$main_menu_x" "$main_menu_y" main_page
echo "ok: Main Menu returns"

# "Quit" asks; "No" goes back to the main page.
e2e_click_until quit_page "$quit_x" "$quit_y" quit_page
e2e_click_until after_no "$no_x" "$no_y" main_page
kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended after No"
echo "ok: Quit asks, No returns"

# "Quit" then "Yes" ends the game cleanly.
e2e_click_until quit_page_again "$quit_x" "$quit_y" quit_page
for _ in 1 2 3; do
  e2e_click "$yes_x" "$yes_y"
  e2e_wait_exit 10
  [ "$GAME_STATUS" = timeout ] || break
done
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
