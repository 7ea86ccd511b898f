#!/usr/bin/env bash
# Builds the game and makes its Debian package, driftwing_<version>_amd64.deb,
# in the build folder (default build-package), ready for
#   sudo apt install ./build-package/driftwing_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=${1:-build-package}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTWING_BENCHMARKS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
(cd "$dir" && cpack -G DEB)
ls "$dir"/driftwing_*_amd64.deb
