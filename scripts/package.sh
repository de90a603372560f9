#!/usr/bin/env bash
# Builds the program (Release) and its Debian package with CPack, then checks
# the package with lintian when it is installed. Prints the package's path:
# build/release/kroyna_<version>_<arch>.deb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKROYNA_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/kroyna_*.deb
(cd "$build" && cpack -G DEB --config CPackConfig.cmake >/dev/null)
deb="$(ls "$build"/kroyna_*.deb)"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "$deb"
