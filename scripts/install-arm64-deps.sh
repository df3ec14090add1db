#!/usr/bin/env bash
# Installs what the arm64 cross-build and its emulated test run need on Debian 12: the
# cross toolchain, qemu-user, and the arm64 libraries through multiarch. Runs as root;
# does nothing when everything is already there.
set -euo pipefail
packages=(
  crossbuild-essential-arm64 qemu-user
  libgtest-dev:arm64 libgmock-dev:arm64 qt6-base-dev:arm64 libgl-dev:arm64
)
dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
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
