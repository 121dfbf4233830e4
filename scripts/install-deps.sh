#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, and only those
# that are missing, so a second call costs nothing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libicu-dev libgtest-dev libgmock-dev libssl-dev
  libzip-dev libxml2-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg-dev libturbojpeg0-dev
  libpcre2-dev libbenchmark-dev
  clang libclang-rt-14-dev
  hyperfine ripgrep time
  python3
  desktop-file-utils appstream dpkg-dev
)
if [ "${1:-}" = "--with-display" ]; then
  packages+=(xvfb xauth imagemagick)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi
