#!/bin/bash
# Installs what is missing, builds everything and runs every test:
# native unit tests (with AddressSanitizer/UBSan), then the Windows unit tests
# and end-to-end tests under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" || exit 1

native=$root/build/native
win=$root/build/win
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Asan >/dev/null || exit 1
cmake --build "$native" -j2 || exit 1
cmake -S "$root" -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -C "$root/cmake/standin-hosts.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$win" -j2 || exit 1
# The same tree for 64-bit Windows: pointer-size faults show whichever word
# size they break.
win64=$root/build/win64
cmake -S "$root" -B "$win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DVEXO_ARCH=x86_64 \
  -C "$root/cmake/standin-hosts.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$win64" -j2 || exit 1

status=0
ctest --test-dir "$native" -j2 --output-on-failure 2>&1 | tee "$root/build/native-tests.log" || status=1
# Where the kernel runs no 32-bit programs, the Windows tests run the x86_64
# build rather than fail every test for the machine.
. "$root/tests/wine/wine-arch.sh"
vexo_wine_arch
tested=$win
[ "$VEXO_WINE_ARCH" = i686 ] || tested=$win64
# The end-to-end tests share the stand-in's fixed port: one at a time.
ctest --test-dir "$tested" --output-on-failure 2>&1 | tee "$root/build/win-tests.log" || status=1

passed=0; failed=0
for log in "$root/build/native-tests.log" "$root/build/win-tests.log"; do
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  [ -n "$line" ] || { status=1; continue; }
  total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
  bad=$(echo "$line" | sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/')
  passed=$((passed + total - bad)); failed=$((failed + bad))
done
[ "$failed" -eq 0 ] || status=1
echo "$passed passed, $failed failed"
exit $status
