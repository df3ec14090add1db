#!/usr/bin/env bash
# install-deps.sh [PACKAGE...]: installs what building and testing need on Debian 12, or
# the packages named. Runs as root; does nothing when everything is already there.
set -euo pipefail
packages=(
  cmake make g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  iproute2 python3
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core
  pandoc man-db dpkg-dev file pkg-config lintian desktop-file-utils libcap2-bin
)
[ $# -eq 0 ] || packages=("$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
