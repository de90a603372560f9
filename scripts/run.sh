#!/usr/bin/env bash
# Builds the program (Release) and starts it; extra arguments go to the
# program (for example --home DIR or parts database files).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKROYNA_TESTS=OFF >/dev/null
cmake --build "$root/build/release" --parallel "$(nproc)"
# The program opens the example order on a data root's first start itself.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/release/app/kroyna" "$@"
fi
exec "$root/build/release/app/kroyna" "$@"
