#!/usr/bin/env bash
# install-deps.sh [PACKAGE...]: installs what building and testing need on Debian 12, or
# the packages named. Runs as root; does nothing when everything is already there.
set -euo pipefail
packages=(
  cmake make ninja-build ccache g++ clang clang-tidy libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgit2-dev
  iproute2 python3 tshark
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core
  qt6-virtualkeyboard-plugin qml6-module-qtquick-virtualkeyboard qml6-module-qtqml-workerscript
  qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qt-labs-folderlistmodel
  xvfb xauth
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
  pandoc man-db dpkg-dev file pkg-config lintian desktop-file-utils libcap2-bin
  nmap
)
[ $# -eq 0 ] || packages=("$@")
missing=()
# node and npm for the independent-client check, from Debian unless already installed;
# building the snap7 binding needs the node headers.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
[ -e /usr/include/node/node_api.h ] || packages+=(libnode-dev)
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # tshark asks whether non-root users may capture: they may not.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | debconf-set-selections
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The snap7 client's node binding, pinned and built from source, for tests/peers.
peers=${VEXAL_PEERS_DIR:-/opt/vexal-peers}
snap7_version=1.0.9
if [ ! -e "$peers/node_modules/node-snap7/build/Release/node_snap7.node" ] ||
   ! grep -q "\"version\": \"$snap7_version\"" "$peers/node_modules/node-snap7/package.json"; then
  echo "installing node-snap7 $snap7_version into $peers"
  mkdir -p "$peers"
  npm_config_nodedir=/usr npm_config_build_from_source=true \
    npm install --no-audit --no-fund --prefix "$peers" "node-snap7@$snap7_version"
fi

# The nodes7 client, pinned, for tests/peers.
nodes7_version=0.3.18
if ! grep -q "\"version\": \"$nodes7_version\"" "$peers/node_modules/nodes7/package.json" 2>/dev/null; then
  echo "installing nodes7 $nodes7_version into $peers"
  mkdir -p "$peers"
  npm_config_nodedir=/usr npm_config_build_from_source=true \
    npm install --no-audit --no-fund --prefix "$peers" "nodes7@$nodes7_version"
fi
