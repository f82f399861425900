#!/bin/sh
# Publishing a release: builds the production 32-bit VexoQuon.exe (the
# platform's real hosts, no test automation channel, no debug information),
# signs it when given a key and a certificate, and writes the ConfigQuon.htm
# the platform publishes for it: the executable's version key and the address
# it is downloaded from.
#
#   tools/release.sh --url http://dl.vexo.com/files/VexoQuon.exe [--out DIR]
#                    [--key signer.key --cert signer-chain.pem] [--from EXE]
#                    [--build DIR] [-- extra cmake settings, e.g. -DVEXO_UPDATE_SIGNER=...]
#
# --from EXE skips the build and publishes that executable (signing it first
# when a key is given); the end-to-end tests publish their updates this way.
#
# Signing with Microsoft's signtool instead: build with --out and no key, then
#   signtool sign /fd sha256 /f signer.pfx /p PASSWORD DIR\VexoQuon.exe
# (or /sha1 THUMBPRINT for a certificate in the store), and run this command
# again with --from DIR/VexoQuon.exe to write the configuration of the signed
# file: the key changes with every byte, the signature's included.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/release
build=$root/build/release-tree
url= key= cert= from=
while [ $# -gt 0 ]; do
  case $1 in
    --url) url=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --key) key=$2; shift 2 ;;
    --cert) cert=$2; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "release.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$url" ] || { echo "release.sh: --url ADDRESS is required" >&2; exit 2; }
case $url in http://*) ;; *) echo "release.sh: the address must start with http://" >&2; exit 2 ;; esac
if [ -n "$key" ] && [ -z "$cert" ] || [ -z "$key" ] && [ -n "$cert" ]; then
  echo "release.sh: --key and --cert go together" >&2; exit 2
fi
mkdir -p "$out"

if [ -z "$from" ]; then
  # A tree of its own, never a test tree: a test tree's cache keeps the
  # stand-in's hosts and the automation channel.
  if [ -f "$build/CMakeCache.txt" ] && [ ! -f "$build/.vexo-release-tree" ]; then
    echo "release.sh: $build is not a release tree (no .vexo-release-tree): give another --build" >&2; exit 2
  fi
  mkdir -p "$build" && touch "$build/.vexo-release-tree"
  nice cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DVEXO_ARCH=i686 -DCMAKE_BUILD_TYPE=Release -DVEXO_TEST_AUTOMATION=OFF "$@" >/dev/null
  nice cmake --build "$build" -j2 --target VexoQuon
  from=$build/VexoQuon.exe
  i686-w64-mingw32-strip --strip-all -o "$out/VexoQuon.unsigned.exe" "$from"
else
  cp "$from" "$out/VexoQuon.unsigned.exe"
fi

if [ -n "$key" ]; then
  rm -f "$out/VexoQuon.exe"
  osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n VexoQuon \
    -in "$out/VexoQuon.unsigned.exe" -out "$out/VexoQuon.exe" >/dev/null
  rm -f "$out/VexoQuon.unsigned.exe"
else
  mv "$out/VexoQuon.unsigned.exe" "$out/VexoQuon.exe"
fi

# The version key: the MD5 of the bytes, its last digits the product version
# of the executable's own version resource without dots.
python3 - "$out/VexoQuon.exe" "$url" "$out/ConfigQuon.htm" <<'PY'
import hashlib, struct, sys
exe, url, config = sys.argv[1:]
data = open(exe, "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("release.sh: the executable has no version resource")
ms, ls = struct.unpack_from("<II", data, at + 16)  # dwProductVersionMS, LS
version = "%d%d%d%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
key = hashlib.md5(data).hexdigest()[:32 - len(version)] + version
with open(config, "w", newline="") as f:
    f.write("[VerKey]\r\nQuon=%s\r\nUpdAddr=%s\r\n" % (key, url))
print(key)
PY
echo "release: $out/VexoQuon.exe and $out/ConfigQuon.htm" >&2
