#!/usr/bin/env bash
# Installs what the arm64 cross-build and its emulated test run need on Debian 12: the
# cross toolchain, qemu-user, and the arm64 libraries through multiarch. Runs as root.
set -euo pipefail
cd "$(dirname "$0")/.."
dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
scripts/install-deps.sh crossbuild-essential-arm64 qemu-user \
  libgtest-dev:arm64 libgmock-dev:arm64 qt6-base-dev:arm64 libgl-dev:arm64 libgit2-dev:arm64
