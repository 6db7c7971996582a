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
  prometheus prometheus-node-exporter
)
# These two bring services of their own (a Prometheus server, an exporter on
# every interface); the tests only run promtool and an exporter of their own
# on the loopback, so installing them must start nothing and leave nothing
# to start at boot.
services=(prometheus prometheus-node-exporter)

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
  # invoke-rc.d and deb-systemd-invoke ask this policy before starting a
  # service; 101 forbids it. One that is already there is left alone.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" >/dev/null
    "${sudo_cmd[@]}" chmod 755 "$policy"
    trap '"${sudo_cmd[@]}" rm -f "$policy"' EXIT
  fi
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  for service in "${services[@]}"; do
    [[ " ${missing[*]} " == *" $service "* ]] || continue
    if [ -d /run/systemd/system ]; then
      "${sudo_cmd[@]}" systemctl disable --now "$service" >/dev/null 2>&1 || true
    elif [ -x "/etc/init.d/$service" ]; then
      "${sudo_cmd[@]}" update-rc.d "$service" disable >/dev/null 2>&1 || true
    fi
  done
fi
