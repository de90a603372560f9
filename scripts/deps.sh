#!/usr/bin/env bash
# Installs the Debian packages the program (and, with "test", its tests)
# needs, when missing.
set -euo pipefail
# Building and running the program.
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libgsf-1-dev libxlsxwriter-dev nlohmann-json3-dev
  xvfb xauth fonts-dejavu-core
)
# Running the tests ("deps.sh test"): test frameworks, the fuzzing compiler,
# the tools the tests read their output back with, and the checkers of the
# Debian package.
if [ "${1:-}" = "test" ]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev mold
    clang libclang-rt-14-dev
    poppler-utils python3 python3-dbf python3-openpyxl python3-olefile
    lintian desktop-file-utils appstream shared-mime-info man-db
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
