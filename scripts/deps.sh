#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the workstation need,
# only when one of them is missing. Given package names, installs those
# instead (the Windows cross build's toolchain and Wine).
set -euo pipefail

packages=("$@")
((${#packages[@]})) || packages=(
  cmake ninja-build g++ clang pkg-config clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libserialport-dev zlib1g-dev
  xvfb xauth
  desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then
    SUDO="sudo"
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
