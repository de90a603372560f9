#!/usr/bin/env bash
# Builds the program (Release) and starts it; extra arguments go to the
# program (for example --home DIR or parts database files).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKROYNA_TESTS=OFF >/dev/null
cmake --build "$root/build/release" --parallel "$(nproc)"
# Without a parts database on the command line the example order of a first
# start is opened (it is there once the program has copied its example into
# a new data root; a missing file is passed over).
args=("$@")
has_base=0
home="${KROYNA_HOME:-$HOME/.local/share/kroyna}"
for ((i = 0; i < ${#args[@]}; i++)); do
  case "${args[i]}" in
    *.krb) has_base=1 ;;
    --home) if ((i + 1 < ${#args[@]})); then home="${args[i + 1]}"; fi ;;
    --home=*) home="${args[i]#--home=}" ;;
  esac
done
if ((has_base == 0)); then
  set -- "$@" "$home/Groups/Пример.krb"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/release/app/kroyna" "$@"
fi
exec "$root/build/release/app/kroyna" "$@"
