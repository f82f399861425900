#!/bin/bash
# Installs what building and testing VexoQuon needs on Debian 12, when missing.
set -euo pipefail
# The product is 32-bit (i686); the x86_64 compiler checks that the tree still
# builds for 64-bit and builds the 64-bit probe of the tests. wine32:i386 makes
# the test prefix a WoW64 one, which runs both.
packages=(cmake ninja-build g++ make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 wine32:i386 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei fonts-wine xcompmgr
  python3 python3-pytest googletest locales
  clang libclang-rt-14-dev)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
# wine32 is an i386 package: the architecture must be known before apt looks.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  $sudo dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine needs code page 936 for the Chinese texts of Statistic.ini and the UI.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
