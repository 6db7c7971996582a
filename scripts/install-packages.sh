#!/usr/bin/env bash
# Installs the Debian packages a build or test needs, only those missing.
# Never wine32: these machines run no 32-bit process, and with it installed
# the wine command tries the 32-bit loader first.
set -euo pipefail

packages=(
  cmake g++ make file
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  gcc-multilib g++-multilib qemu-user
  wine64 xvfb xdotool imagemagick x11-utils
  clang-14 libclang-rt-14-dev valgrind python3
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
