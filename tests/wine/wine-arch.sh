# Sourced by tools/check.sh and tools/demo.sh: which Wine runs which build here.
# The 32-bit product runs under 32-bit Wine unpacked beside the system's
# (tools/wine32.sh): natively where the kernel runs i386 code, under qemu-user
# where its 32-bit emulation is off, which makes every 32-bit process some
# four times slower. The x86_64 build of the same tree runs under 64-bit Wine
# alone.
#
#   vexo_wine_arch        sets VEXO_WINE32 to native, emulated or none
#   vexo_wine_for ARCH    puts the `wine` for that build first on PATH
vexo_wine_arch() {
  local tools; tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
  VEXO_WINE32=$("$tools/wine32.sh" | tail -1) || VEXO_WINE32=none
  case $VEXO_WINE32 in
    native|emulated) ;;
    *) VEXO_WINE32=none
       echo "32-bit Wine could not be set up (tools/wine32.sh failed): only the x86_64 build can run" >&2 ;;
  esac
}

vexo_wine_for() {
  local here; here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
  if [ "$1" = i686 ]; then export PATH="$here/wine32:$PATH"; else export PATH="$here/wine64-only:$PATH"; fi
}
