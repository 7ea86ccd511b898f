#!/usr/bin/env bash
# The Debian package made by cpack: its name, its control data (with the
# libraries' and the font's packages as dependencies) and its files; where
# this machine allows it (root, no driftwing package installed already), it
# is installed with apt, found by the desktop entry's Exec line, and removed.
set -euo pipefail
: "${BUILD_DIR:?}" "${INSTALLED_PROGRAMS:?}" "${APPSTREAM_ID:?}" "${PROJECT_VERSION:?}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$out/cpack.log")"
deb=$out/driftwing_${PROJECT_VERSION}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$out")"

info=$(dpkg-deb -I "$deb")
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
depends_names=$(sed 's/, /\n/g' <<<"$depends" | awk '{print $1}')
for field in "Package: driftwing" "Version: $PROJECT_VERSION" "Architecture: amd64" "Section: games"; do
  grep -qx " $field" <<<"$info" || fail "control lacks '$field': $info"
done
for package in libsdl1.2debian libsdl-mixer1.2 libopengl0 libgl1 libglu1-mesa libfreetype6 \
               libfontconfig1 libstdc++6 libc6 fonts-dejavu-core libtomlplusplus3; do
  grep -qxF "$package" <<<"$depends_names" || fail "Depends lacks $package: $depends"
done
echo "ok: Depends: $depends"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(./usr/share/driftwing/map.wrl ./usr/share/driftwing/models/ship.p3d
          ./usr/share/applications/driftwing.desktop
          ./usr/share/icons/hicolor/48x48/apps/driftwing.png
          ./usr/share/icons/hicolor/256x256/apps/driftwing.png
          "./usr/share/metainfo/$APPSTREAM_ID.metainfo.xml")
for program in $INSTALLED_PROGRAMS; do
  section=1
  [ "$program" = driftwing ] && section=6
  expected+=("./usr/bin/$program" "./usr/share/man/man$section/$program.$section.gz")
done
for file in "${expected[@]}"; do
  grep -qx "$file" <<<"$contents" || fail "package lacks $file"
done
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
echo "ok: $(wc -l <<<"$contents") entries, ${#expected[@]} checked"

if [ "$(id -u)" -ne 0 ]; then
  echo "skip: installing the package needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' driftwing 2>/dev/null | grep -q "ok installed"; then
  echo "skip: a driftwing package is installed on this machine already; left alone"
  exit 0
fi
remove() { apt-get purge -y -qq -o DPkg::Lock::Timeout=120 driftwing >"$out/remove.log" 2>&1; }
trap 'remove || true; rm -rf "$out"' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=120 "$deb" \
  >"$out/apt.log" 2>&1 || fail "apt-get install: $(cat "$out/apt.log")"
# The Exec line names the game on the PATH; started from an empty folder
# with no display it gets past finding its data and stops at the video.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/driftwing.desktop)
[ "$(command -v "${exec_line%% *}")" = /usr/bin/driftwing ] || fail "Exec=$exec_line is not /usr/bin/driftwing"
mkdir "$out/empty"
status=0
(cd "$out/empty" && env -u DISPLAY SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 60 $exec_line) \
  >"$out/run.log" 2>&1 || status=$?
if grep -q "game's data" "$out/run.log"; then fail "the packaged game did not find its data: $(cat "$out/run.log")"; fi
echo "ok: installed with apt; Exec=$exec_line from an empty folder: status $status, $(head -n 1 "$out/run.log")"
remove || fail "apt-get purge: $(cat "$out/remove.log")"
[ ! -e /usr/bin/driftwing ] && [ ! -e /usr/share/driftwing ] || fail "files left after removal"
trap 'rm -rf "$out"' EXIT
echo "ok: removed"
echo "package test passed"
