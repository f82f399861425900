#!/bin/bash
# Installs what building and testing VexoQuon needs on Debian 12, when missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The product is 32-bit (i686); the x86_64 compiler checks that the tree still
# builds for 64-bit and builds the 64-bit probe of the tests. 32-bit Wine comes
# last, from tools/wine32.sh (not from dpkg: see there).
packages=(cmake ninja-build g++ make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei fonts-wine xcompmgr
  python3 python3-pytest googletest locales osslsigncode openssl patchelf
  clang libclang-rt-14-dev)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # A mirror's broken index (seen: the security suite's i386 one) stops
  # nothing here: what still resolves installs, and what does not fails below.
  $sudo apt-get update -qq || echo "Some package indexes could not be updated; installing from those that were."
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Wine needs code page 936 for the Chinese texts of Statistic.ini and the UI.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
echo "32-bit Wine: $("$here/wine32.sh")"
