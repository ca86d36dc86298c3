#!/usr/bin/env bash
# Installs every Debian 12 package the project builds, tests and benchmarks with.
# Quick when they are all present already.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  linux-libc-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev libopencv-dev
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 xdg-utils
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
