# Sourced by tools/check.sh and tools/demo.sh: which build of the tree Wine can
# run here. Wine's 32-bit loader is a 32-bit Linux program, and a kernel with
# its 32-bit emulation off (ia32_emulation=off) runs none: then the 32-bit
# product cannot run at all, and the x86_64 build of the same tree runs under
# 64-bit Wine instead, through a "wine" that uses only the 64-bit loader.
#
#   vexo_wine_arch   sets VEXO_WINE_ARCH to i686 or x86_64 (and PATH for the latter)
vexo_wine_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    VEXO_WINE_ARCH=i686
    return
  fi
  VEXO_WINE_ARCH=x86_64
  export PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only:$PATH"
  echo "This kernel runs no 32-bit programs (Wine's 32-bit loader does not start):" \
    "the x86_64 build runs under 64-bit Wine instead."
}
