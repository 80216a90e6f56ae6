#!/usr/bin/env bash
# Builds the Debian package velmora_<version>_amd64.deb: a release build of the player in
# build-deb/, packed by CPack with the dependencies dpkg-shlibdeps finds. Prints the file's path.
# Usage: packaging/build-deb.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-deb"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVELMORA_TESTS=OFF -DVELMORA_SANITIZE=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
cmake --build "$build" --target velmora
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/velmora_*_amd64.deb
