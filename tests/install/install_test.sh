#!/usr/bin/env bash
# The game installed into a prefix of its own, as a player or a distribution
# gets it: every file in its place, the desktop files valid, no build path
# inside, the game started from elsewhere through its desktop entry's Exec
# line reaching the menu, and a clear stop when its data is gone.
set -euo pipefail
: "${BUILD_DIR:?}" "${INSTALLED_PROGRAMS:?}" "${APPSTREAM_ID:?}" "${E2E_LIB:?}"

root=$(mktemp -d)
prefix=$root/prefix
export DRIFTWING_BIN=$prefix/bin/driftwing DRIFTWING_DATA=$prefix/share/driftwing
source "$E2E_LIB"
trap 'e2e_cleanup; rm -rf "$root"' EXIT

cmake --install "$BUILD_DIR" --prefix "$prefix" >"$root/install.log" || e2e_fail "$(cat "$root/install.log")"

expected=(share/driftwing/map.wrl share/driftwing/models/ship.p3d share/driftwing/sound/rocket.wav
          share/applications/driftwing.desktop "share/metainfo/$APPSTREAM_ID.metainfo.xml")
for program in $INSTALLED_PROGRAMS; do
  section=1
  [ "$program" = driftwing ] && section=6
  expected+=("bin/$program" "share/man/man$section/$program.$section.gz")
done
for size in 48 64 128 256; do expected+=("share/icons/hicolor/${size}x$size/apps/driftwing.png"); done
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || e2e_fail "not installed: $file"
done
echo "ok: ${#expected[@]} files installed"

# Each icon is the size its folder says, opaque where the ship is and clear
# around it.
for size in 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/driftwing.png
  read -r w h centre corner <<<"$(convert "$icon" -format \
    "%w %h %[fx:int(255*p{w/2,h/2}.a)] %[fx:int(255*p{0,0}.a)]" info:)"
  [ "$w x $h" = "$size x $size" ] || e2e_fail "icon $size: $w x $h"
  [ "$centre" -eq 255 ] && [ "$corner" -eq 0 ] || e2e_fail "icon $size: alpha $centre at the centre, $corner at a corner"
done
echo "ok: icons"

desktop-file-validate "$prefix/share/applications/driftwing.desktop" || e2e_fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$APPSTREAM_ID.metainfo.xml" >"$root/as.log" ||
  e2e_fail "metainfo: $(cat "$root/as.log")"
echo "ok: desktop entry and metainfo validate"

# Relocatable: nothing installed names the build tree (debug information
# may name the sources; the data folder would be a path compiled in).
if grep -rl "$BUILD_DIR" "$prefix/share"; then e2e_fail "build path in installed files"; fi
if grep -l "$BUILD_DIR/data" "$prefix"/bin/*; then e2e_fail "build data path in a program"; fi
echo "ok: no build path"

# Started from an empty folder, as a desktop starts it: the Exec line with
# the prefix on the PATH. It finds its installed data and reaches the menu,
# whose "Play Game" and "Quit" rows show white text (the loading screen has
# its text elsewhere).
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/driftwing.desktop")
mkdir "$root/elsewhere"
e2e_start_display
(cd "$root/elsewhere" && PATH="$prefix/bin:$PATH" SDL_AUDIODRIVER=dummy exec $exec_line) \
  >"$E2E_TMP/game.log" 2>&1 &
GAME_PID=$!
e2e_wait_window
deadline=$((SECONDS + 60))
until shot=$(e2e_shot menu) && at_least "$shot" 409 294 204 25 white 200 &&
      at_least "$shot" 409 486 102 25 white 100; do
  [ $SECONDS -lt $deadline ] || e2e_fail "no menu within 60 s; see $shot"
  kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended"
  sleep 0.5
done
echo "ok: the installed game reached the menu from $root/elsewhere"
kill -TERM "$GAME_PID"
e2e_wait_exit 20
[ "$GAME_STATUS" = 0 ] || e2e_fail "SIGTERM ended the game with status $GAME_STATUS"

# With its data moved away it says where it looked, in one line, and stops.
mv "$prefix/share/driftwing" "$prefix/share/driftwing.away"
status=0
(cd "$root/elsewhere" && "$DRIFTWING_BIN") >"$root/out.log" 2>&1 || status=$?
[ "$status" -ne 0 ] || e2e_fail "no data: exit status 0"
[ "$(wc -l <"$root/out.log")" -eq 1 ] || e2e_fail "no data: not one line: $(cat "$root/out.log")"
grep -qF "$root/elsewhere" "$root/out.log" && grep -qF "$prefix/share/driftwing" "$root/out.log" ||
  e2e_fail "no data: the places looked at are not named: $(cat "$root/out.log")"
echo "ok: without data: status $status: $(cat "$root/out.log")"
echo "install test passed"
