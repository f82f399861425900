# Windows build: VexoQuon.exe, the probe, Windows unit tests and the end-to-end
# tests, all run under Wine by ctest.
# The 32-bit product runs on XP SP3: its headers declare nothing newer, so a
# direct call of a newer function fails to compile (such functions are looked
# up at run time, with an XP fallback). The x86_64 build has no XP to run on.
# XP SP3 exactly: its CryptoAPI has SHA-256 (CALG_SHA_256 with PROV_RSA_AES).
if(VEXO_ARCH STREQUAL "i686")
  set(VEXO_WINVER 0x0501)
  set(VEXO_NTDDI 0x05010300)
else()
  set(VEXO_WINVER 0x0601)
  set(VEXO_NTDDI 0x06010000)
endif()
# DECLSPEC_IMPORT empty: calls of DLL functions go through the import
# libraries' jump stubs rather than straight through __imp_ pointers. The
# delay-loaded DLLs need it (cmake/DelayImports.cmake): a delay-load pointer
# starts out at its stub's second half, and the 32-bit linker drops the stub
# of a function that only __imp_ references name, leaving the pointer 0.
set(VEXO_WIN_DEFINITIONS UNICODE _UNICODE NOMINMAX _WIN32_WINNT=${VEXO_WINVER} WINVER=${VEXO_WINVER}
    NTDDI_VERSION=${VEXO_NTDDI} _WIN32_IE=0x0800 DECLSPEC_IMPORT=)
set(VEXO_WIN_LIBS comctl32 gdiplus wininet shlwapi shell32 ole32 oleaut32 uuid msimg32 winmm psapi
    version wintrust crypt32 advapi32 gdi32 user32 comdlg32)
set(VEXO_WINE_STATE ${CMAKE_BINARY_DIR}/wine-session)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/wine/wine-run.sh;${VEXO_WINE_STATE})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# The manifest names the processor architecture of the executable and of the
# common-controls assembly it binds to: x86 for the 32-bit product.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VEXO_MANIFEST_ARCH x86)
else()
  set(VEXO_MANIFEST_ARCH amd64)
endif()
configure_file(${CMAKE_SOURCE_DIR}/res/VexoQuon.manifest.in ${VEXO_GENERATED_DIR}/VexoQuon.manifest @ONLY)

target_compile_definitions(vexo_portable PUBLIC ${VEXO_WIN_DEFINITIONS})

add_library(vexo_win STATIC
  ${FRAMEWORK_WIN_SOURCES} ${APP_WIN_SOURCES} ${SKIN_WIN_SOURCES}
  ${MAINWND_WIN_SOURCES} ${BROWSER_WIN_SOURCES})
target_include_directories(vexo_win PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res ${VEXO_GENERATED_DIR})
target_compile_definitions(vexo_win PUBLIC ${VEXO_WIN_DEFINITIONS})
if(VEXO_TEST_AUTOMATION)
  target_compile_definitions(vexo_win PUBLIC VEXO_TEST_AUTOMATION=1)
endif()
target_compile_options(vexo_win PRIVATE -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
target_link_libraries(vexo_win PUBLIC vexo_portable ${VEXO_WIN_LIBS})

add_executable(VexoQuon WIN32 app/Main.cpp res/VexoQuon.rc)
if(VEXO_ARCH STREQUAL "i686")
  # The run-time lookup of GetTickCount64 for XP, as an object of the
  # executable so that it wins over KERNEL32's import.
  target_sources(VexoQuon PRIVATE app/XpImports.cpp)
endif()
target_link_options(VexoQuon PRIVATE -municode -Wl,--file-alignment=4096 -Wl,-Map=$<TARGET_FILE_DIR:VexoQuon>/VexoQuon.map)
include(${CMAKE_SOURCE_DIR}/cmake/DelayImports.cmake)
# Only what every start needs before its first window loads with the process.
vexo_delay_import_libs(VEXO_DELAY_LIBS comctl32 gdiplus wininet shlwapi shell32 ole32 oleaut32 msimg32 winmm
  psapi wintrust crypt32)
target_link_libraries(VexoQuon PRIVATE vexo_win ${VEXO_DELAY_LIBS})
# What ships carries no debug information; VexoQuon.debug (named in the
# executable's debug link) and the linker map stay beside it to read crash
# dumps with.
get_filename_component(_vexo_bin_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
find_program(VEXO_OBJCOPY NAMES ${TOOLCHAIN_PREFIX}-objcopy HINTS ${_vexo_bin_dir})
if(VEXO_OBJCOPY)
  add_custom_command(TARGET VexoQuon POST_BUILD
    COMMAND ${VEXO_OBJCOPY} --only-keep-debug $<TARGET_FILE:VexoQuon> $<TARGET_FILE_DIR:VexoQuon>/VexoQuon.debug
    COMMAND ${VEXO_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_DIR:VexoQuon>/VexoQuon.debug
      $<TARGET_FILE:VexoQuon>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:VexoQuon>
    COMMENT "Stripping VexoQuon.exe; its debug information goes to VexoQuon.debug")
endif()
set_property(SOURCE res/VexoQuon.rc APPEND PROPERTY OBJECT_DEPENDS
  ${VEXO_GENERATED_DIR}/VexoQuon.manifest ${CMAKE_SOURCE_DIR}/res/dialogs.rc ${CMAKE_SOURCE_DIR}/res/skin.rc
  ${CMAKE_SOURCE_DIR}/res/dialogs/skin.rc ${CMAKE_SOURCE_DIR}/res/dialogs/app.rc ${CMAKE_SOURCE_DIR}/res/dialogs/mainwnd.rc ${CMAKE_SOURCE_DIR}/res/dialogs/browser.rc)

if(VEXO_ARCH STREQUAL "i686")
  # XP's loader refuses an executable for one import it lacks.
  add_test(NAME exe.xp_imports COMMAND ${VEXO_PYTHON} ${CMAKE_SOURCE_DIR}/tests/xp/check_imports.py
    $<TARGET_FILE:VexoQuon> ${CMAKE_SOURCE_DIR}/tests/xp/xpsp3-imports.txt)
endif()
include(${CMAKE_SOURCE_DIR}/tests/Windows.cmake)
