#!/usr/bin/env bash
# Installs the Debian packages Corvia needs to build, run and test.
# Only what is missing is installed; the package lists are refreshed only then.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libwxgtk3.2-dev
  libgl-dev libglu1-mesa-dev libegl-dev libopengl-dev libegl-mesa0 libgl1-mesa-dri
  libfreetype-dev libftgl-dev libfreeimage-dev
  libcurl4-openssl-dev
  fontconfig libfontconfig-dev fonts-liberation fonts-dejavu-core
  xvfb xauth
  ghostscript poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
