#!/bin/bash
# Sets up 32-bit Wine beside the system's 64-bit one, without dpkg: the i386
# half of Wine unpacked into a tree of its own (Debian 12's wine32:i386 cannot
# be installed today: its i386 libraries would come from the main suite while
# the installed amd64 ones come from the security suite, and multiarch refuses
# the skew), and a loader folder where 64-bit Wine finds that half. Where the
# kernel runs no i386 code (its 32-bit emulation is off), a qemu-i386
# registered with binfmt_misc runs it; 64-bit Wine processes (wineserver,
# services, the test probe) stay native either way.
#
#   wine32.sh          set up (idempotent); prints "native" or "emulated"
#   VEXO_WINE32_EMULATE=1 wine32.sh   emulate even where the kernel runs i386
#                      code (to try the emulated set-up on such a machine)
#
# tests/wine/wine32/wine is the `wine` that uses it: a 32-bit .exe given by its
# path goes straight to the i386 loader, everything else to wine64.
set -euo pipefail
base=${VEXO_WINE32_ROOT:-/opt/vexo-wine32}
root=$base/i386            # the unpacked i386 packages
loader=$base/loader        # wine, wine64 and what they look for beside them
qemu=$base/qemu/usr/bin/qemu-i386
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

# apt with a configuration of its own: own sources, lists, cache and an empty
# dpkg status, so that it resolves the whole dependency closure for another
# architecture or suite and only downloads (sources are kept from the first
# call when given empty).
private_apt() {  # $1 = state dir, $2 = architecture, $3 = sources line; rest: apt-get args
  local dir=$1 arch=$2 sources=$3; shift 3
  $sudo mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial"
  $sudo touch "$dir/status"
  [ -z "$sources" ] || echo "$sources" | $sudo tee "$dir/sources.list" >/dev/null
  $sudo apt-get -q -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=/dev/null \
    -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" -o Dir::State::status="$dir/status" \
    -o APT::Architecture="$arch" -o APT::Architectures="$arch" -o Debug::NoLocking=1 \
    -o APT::Install-Recommends=false "$@"
}

keyring=/usr/share/keyrings/debian-archive-keyring.gpg
mirror=http://deb.debian.org/debian

unpack_i386() {
  [ -f "$root/.ready" ] && return 0
  local state=$base/apt-i386
  # Not the security suite: its i386 index has been broken on the mirror, and
  # the loader must match the installed wine64 (bookworm's 8.0).
  private_apt "$state" i386 "deb [signed-by=$keyring] $mirror bookworm main
deb [signed-by=$keyring] $mirror bookworm-updates main" update >/dev/null
  local wanted
  wanted=$(dpkg-query -W -f='${Version}' wine64)
  private_apt "$state" i386 "" install --download-only -y \
    "wine32=$wanted" "libwine=$wanted" libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 \
    libxinerama1 libxfixes3 libxxf86vm1 libgnutls30 libdbus-1-3 libgssapi-krb5-2 libkrb5-3 >/dev/null
  $sudo rm -rf "$root"; $sudo mkdir -p "$root"
  local deb
  for deb in "$state"/cache/archives/*.deb; do $sudo dpkg-deb -x "$deb" "$root"; done
  # What the packages' scripts would have done. (The zlib1.dll that user32
  # needs is the one libwine:amd64's script marks as builtin: tests/wine/session.sh
  # puts it into each prefix.)
  echo 'include /etc/ld.so.conf.d/*.conf' | $sudo tee "$root/etc/ld.so.conf" >/dev/null
  $sudo ldconfig -r "$root"
  # The host's fonts configuration and wineserver serve both halves.
  $sudo rm -rf "$root/etc/fonts" "$root/usr/lib/wine/wineserver"*
  $sudo touch "$root/.ready"
}

unpack_qemu() {
  [ -x "$qemu" ] && return 0
  # bookworm's qemu-user (7.2) takes MAP_FIXED_NOREPLACE as a hint, and Wine's
  # address-space reservation then takes about a minute per process; trixie's
  # static qemu-i386 does not.
  local state=$base/apt-trixie
  private_apt "$state" amd64 "deb [signed-by=$keyring] $mirror trixie main" update >/dev/null
  private_apt "$state" amd64 "" install --download-only -y qemu-user >/dev/null
  local deb
  deb=$(ls "$state"/cache/archives/qemu-user_*.deb | head -1)
  $sudo rm -rf "$base/qemu"; $sudo mkdir -p "$base/qemu"
  $sudo dpkg-deb -x "$deb" "$base/qemu"
  [ -x "$qemu" ]
}

register_binfmt() {
  local misc=/proc/sys/fs/binfmt_misc
  [ -e "$misc/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$misc"
  if [ -e "$misc/qemu-i386" ]; then
    grep -qx "interpreter $qemu" "$misc/qemu-i386" && grep -qx enabled "$misc/qemu-i386" && return 0
    echo -1 | $sudo tee "$misc/qemu-i386" >/dev/null   # someone else's: ours replaces it
  fi
  # i386 ELF executables (type EXEC or DYN); F opens the interpreter now, so
  # it serves inside other roots too.
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:FOC" | $sudo tee "$misc/register" >/dev/null
  # qemu looks for the i386 libraries under this prefix.
  $sudo mkdir -p /usr/gnemul
  $sudo ln -sfn "$root" /usr/gnemul/qemu-i386
}

# wine64 starts a 32-bit child with the loader `wine` beside itself and finds
# its libraries at ../<triple>/wine from there: copies of both loaders beside
# links to the two library trees, so /usr/lib/wine stays 64-bit only. The i386
# loader is given the tree's own dynamic loader, so that it never mixes the
# tree's C library with another version of the machine's; tests/wine/wine32/wine
# points it at the tree's libraries.
make_loader() {
  local dir=$loader/lib/wine
  [ -f "$loader/.ready" ] && cmp -s /usr/lib/wine/wine64 "$dir/wine64" && return 0
  $sudo rm -rf "$loader"; $sudo mkdir -p "$dir" "$loader/share"
  $sudo cp /usr/lib/wine/wine64 "$dir/wine64"
  $sudo cp "$root/usr/lib/wine/wine" "$dir/wine"
  $sudo patchelf --set-interpreter "$root/lib/ld-linux.so.2" "$dir/wine"
  $sudo ln -s /usr/lib/wine/wineserver64 "$dir/wineserver"
  $sudo ln -s /usr/lib/x86_64-linux-gnu "$loader/lib/x86_64-linux-gnu"
  $sudo ln -s "$root/usr/lib/i386-linux-gnu" "$loader/lib/i386-linux-gnu"
  $sudo ln -s /usr/share/wine "$loader/share/wine"
  $sudo touch "$loader/.ready"
}

# Whether this kernel runs i386 code by itself: a 93-byte i386 program that
# only exits (ELF header, one loadable segment at 0x08048000, then mov eax,1;
# xor ebx,ebx; int 0x80). Our own qemu entry would run it too, so that entry
# is set aside while it runs.
runs_i386_natively() {
  local entry=/proc/sys/fs/binfmt_misc/qemu-i386 was_on=0 rc=0 elf
  if [ -e "$entry" ] && grep -qx enabled "$entry"; then was_on=1; echo 0 | $sudo tee "$entry" >/dev/null; fi
  elf=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$elf"
  chmod +x "$elf"
  "$elf" 2>/dev/null || rc=$?
  rm -f "$elf"
  [ $was_on = 0 ] || echo 1 | $sudo tee "$entry" >/dev/null
  return $rc
}

# Removes our qemu entry where the kernel runs i386 code itself (emulation
# would only slow every 32-bit process down).
unregister_binfmt() {
  local entry=/proc/sys/fs/binfmt_misc/qemu-i386
  [ -e "$entry" ] && grep -qx "interpreter $qemu" "$entry" && echo -1 | $sudo tee "$entry" >/dev/null
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  $sudo mkdir -p "$base"
  unpack_i386
  make_loader
  if [ -z "${VEXO_WINE32_EMULATE:-}" ] && runs_i386_natively; then
    unregister_binfmt
    how=native
  else
    unpack_qemu
    register_binfmt
    how=emulated
  fi
  "$loader/lib/wine/wine" --version >/dev/null || { echo "the 32-bit Wine loader does not start ($how)" >&2; exit 1; }
  echo $how
fi
