# Cross-compiling VexoQuon.exe for Windows with Debian's MinGW-w64 (posix threads).
#
# The product is a 32-bit program: it runs on every Windows PC, 32-bit XP
# included, and reads the 32-bit registry view where installs keep their state.
# -DVEXO_ARCH=x86_64 builds the same tree for 64-bit Windows: a compile check,
# and the build the tests run where the kernel runs no 32-bit programs.
set(VEXO_ARCH i686 CACHE STRING "Target architecture: i686 (the product) or x86_64")
set_property(CACHE VEXO_ARCH PROPERTY STRINGS i686 x86_64)

set(CMAKE_SYSTEM_NAME Windows)
if(VEXO_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
elseif(VEXO_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
else()
  message(FATAL_ERROR "VEXO_ARCH must be i686 or x86_64, got '${VEXO_ARCH}'")
endif()
set(TOOLCHAIN_PREFIX ${VEXO_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The exe must run on a bare Windows: no libgcc/libstdc++/winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Windows test programs run under Wine in the test prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run.sh)
