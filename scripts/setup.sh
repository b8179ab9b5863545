#!/usr/bin/env bash
# Installs every Debian package the test-bed needs. Idempotent: when all packages are present it
# only checks and returns. With --fuzz it also installs clang and its sanitizer and fuzzer runtimes.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libepoxy-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libgbm1
  libfreetype-dev libfontconfig-dev fonts-liberation2
  libdevil-dev libpng-dev libjpeg-dev libstb-dev libminizip-dev zlib1g-dev libfftw3-dev libassimp-dev
  xvfb xauth zenity
)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
