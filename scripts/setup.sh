#!/usr/bin/env bash
# Installs what the console needs to build, test and take screenshots on Debian 12, and
# nothing when it is all there already. Sourced or run by the other scripts.
set -euo pipefail

KV_PACKAGES=(cmake g++ make qt6-base-dev qt6-serialport-dev xvfb xauth x11-utils fonts-dejavu-core)
if [ "${KV_WITH_CLANG:-0}" = 1 ]; then
    KV_PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${KV_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
