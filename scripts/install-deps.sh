#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need; only what is missing.
set -euo pipefail
PKGS=(
  g++ cmake ninja-build ccache make pkg-config
  qt6-base-dev libgl-dev libx11-dev
  libtinyxml2-dev libb64-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libegl1 libgles1 libgles2 libegl-mesa0 libgl1-mesa-dri libegl-dev libgles-dev
  xvfb xauth x11-utils openbox python3
  clang libclang-rt-14-dev
  libsquish-dev etc1tool libxml2-utils zlib1g-dev
  glslang-tools
  libeigen3-dev
)
missing=()
for p in "${PKGS[@]}"; do
  # dpkg -s also knows removed packages whose configuration files remain: check the status.
  dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
