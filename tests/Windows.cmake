# Test programs and tests of the Windows build.

# The probe: lists, finds and drives windows for the end-to-end tests. Beside
# the 32-bit product it is a 64-bit program, as other programs on a player's
# desktop are, so that every handle, WM_COPYDATA and posted message the tests
# exchange with the product crosses the word-size boundary.
set(VEXO_PROBE_LIBS user32 gdi32 advapi32 ole32 uuid shell32)
find_program(VEXO_PROBE64_CXX x86_64-w64-mingw32-g++-posix)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND VEXO_PROBE64_CXX)
  set(VEXO_PROBE_EXE ${CMAKE_BINARY_DIR}/probe.exe)
  set(_probe_defs)
  foreach(d ${VEXO_WIN_DEFINITIONS})
    list(APPEND _probe_defs -D${d})
  endforeach()
  list(TRANSFORM VEXO_PROBE_LIBS PREPEND -l OUTPUT_VARIABLE _probe_libs)
  add_custom_command(OUTPUT ${VEXO_PROBE_EXE}
    COMMAND ${VEXO_PROBE64_CXX} -std=c++17 -O1 -municode -static ${_probe_defs}
      ${CMAKE_SOURCE_DIR}/tests/probe/probe.cpp -o ${VEXO_PROBE_EXE} ${_probe_libs}
    DEPENDS tests/probe/probe.cpp framework/BrowserAutomation.h
    COMMENT "Building the 64-bit probe.exe")
  add_custom_target(probe ALL DEPENDS ${VEXO_PROBE_EXE})
else()
  add_executable(probe tests/probe/probe.cpp)
  target_compile_definitions(probe PRIVATE ${VEXO_WIN_DEFINITIONS})
  target_link_options(probe PRIVATE -municode)
  target_link_libraries(probe PRIVATE ${VEXO_PROBE_LIBS})
  set(VEXO_PROBE_EXE $<TARGET_FILE:probe>)
endif()

# A framework dialog that the end-to-end tests drive through the probe.
add_executable(framework_demo WIN32 tests/win/framework_demo/FrameworkDemo.cpp
  tests/win/framework_demo/FrameworkDemo.rc)
target_link_options(framework_demo PRIVATE -municode)
target_link_libraries(framework_demo PRIVATE vexo_win)

# The browser cache of the test user, for the end-to-end tests (which find it
# next to VexoQuon.exe): filled through real WinINet, cleared by the product's routine.
add_executable(cache_tool tests/win/cache_tool/CacheTool.cpp)
target_link_options(cache_tool PRIVATE -municode)
target_link_libraries(cache_tool PRIVATE vexo_win)

# Windows unit tests, one executable, run under Wine.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} tests/win/WinTests.rc)
target_link_libraries(win_tests PRIVATE vexo_win GTest::gtest_main)
# windres reports no dependencies: the product's resources it includes are listed.
set_property(SOURCE tests/win/WinTests.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/VexoQuon.rc ${VEXO_GENERATED_DIR}/VexoQuon.manifest ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/dialogs.rc
  ${CMAKE_SOURCE_DIR}/res/skin.rc ${CMAKE_SOURCE_DIR}/res/dialogs/skin.rc ${CMAKE_SOURCE_DIR}/res/dialogs/app.rc ${CMAKE_SOURCE_DIR}/res/dialogs/mainwnd.rc
  ${CMAKE_SOURCE_DIR}/res/dialogs/browser.rc)

# The shared Wine session (prefix template, Xvfb, wineserver) lives for one ctest run.
add_test(NAME wine.session.start
  COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh start ${VEXO_WINE_STATE})
set_tests_properties(wine.session.start PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine.session.stop
  COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh stop ${VEXO_WINE_STATE})
set_tests_properties(wine.session.stop PROPERTIES FIXTURES_CLEANUP wine)

# The transfer tests talk to a stand-in of their own, on the port after the
# end-to-end tests' one.
math(EXPR VEXO_UNIT_STANDIN_PORT "${VEXO_STANDIN_PORT} + 1")
add_test(NAME standin.unit.start
  COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/standin-bg.sh start ${VEXO_WINE_STATE} ${VEXO_UNIT_STANDIN_PORT} ${VEXO_PYTHON})
set_tests_properties(standin.unit.start PROPERTIES FIXTURES_SETUP standin_unit)
add_test(NAME standin.unit.stop COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/standin-bg.sh stop ${VEXO_WINE_STATE})
set_tests_properties(standin.unit.stop PROPERTIES FIXTURES_CLEANUP standin_unit)

add_test(NAME win.unit COMMAND win_tests --gtest_brief=1)
set_tests_properties(win.unit PROPERTIES FIXTURES_REQUIRED "wine;standin_unit" TIMEOUT 300
  ENVIRONMENT "VEXO_UNIT_STANDIN_PORT=${VEXO_UNIT_STANDIN_PORT}")

# End-to-end: one pytest session per file, each in a fresh copy of the prefix.
file(GLOB E2E_TEST_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(test_file ${E2E_TEST_FILES})
  get_filename_component(test_name ${test_file} NAME_WE)
  string(REPLACE "test_" "" test_name ${test_name})
  add_test(NAME e2e.${test_name}
    COMMAND ${VEXO_PYTHON} -m pytest -q -p no:cacheprovider ${test_file}
      --exe=$<TARGET_FILE:VexoQuon> --probe=${VEXO_PROBE_EXE}
      --demo=$<TARGET_FILE:framework_demo> --wine-state=${VEXO_WINE_STATE}
      --artifacts=${CMAKE_BINARY_DIR}/test-artifacts --standin-port=${VEXO_STANDIN_PORT} --arch=${VEXO_ARCH})
  set_tests_properties(e2e.${test_name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600 RESOURCE_LOCK standin
    ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")
endforeach()

# ---- Skin gallery ---------------------------------------------------------
# Every skinned control in one window, for people and for the e2e.skin tests
# (which find it next to VexoQuon.exe).
add_executable(skin_gallery WIN32 tools/gallery/Gallery.cpp tools/gallery/Gallery.rc)
target_link_options(skin_gallery PRIVATE -municode)
target_link_libraries(skin_gallery PRIVATE vexo_win)
set_property(SOURCE tools/gallery/Gallery.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/dialogs/skin.rc ${CMAKE_SOURCE_DIR}/res/skin.rc ${VEXO_GENERATED_DIR}/VexoQuon.manifest)

# ---- The page process's sound switch in a process of its own ----------------
# mute_probe.exe runs under a per-program Windows version (the unit tests set
# it) and has sound_caller.dll, loaded after the switch acted, play known samples.
add_library(sound_caller SHARED tests/win/mute_probe/SoundCaller.cpp)
set_target_properties(sound_caller PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_compile_definitions(sound_caller PRIVATE ${VEXO_WIN_DEFINITIONS})
target_link_options(sound_caller PRIVATE -static)
target_link_libraries(sound_caller PRIVATE winmm dsound)
add_executable(mute_probe tests/win/mute_probe/MuteProbe.cpp)
target_link_options(mute_probe PRIVATE -municode)
target_link_libraries(mute_probe PRIVATE vexo_win)
add_dependencies(win_tests mute_probe sound_caller)

# ---- Crash dumps from a process that really crashes ------------------------
add_executable(crash_probe tests/win/crash_probe/CrashProbe.cpp)
target_link_options(crash_probe PRIVATE -municode)
target_link_libraries(crash_probe PRIVATE vexo_win)
add_dependencies(win_tests crash_probe)

# ---- Benchmark programs (tools/bench/) ----------------------------------------
add_executable(bench_yardstick WIN32 tools/bench/Yardstick.cpp)
target_link_options(bench_yardstick PRIVATE -municode)
add_executable(launch_timer tools/bench/LaunchTimer.cpp)
target_compile_definitions(launch_timer PRIVATE ${VEXO_WIN_DEFINITIONS})
target_link_options(launch_timer PRIVATE -municode)

# ---- Benchmarks -----------------------------------------------------------
# bench.exe measures the product's download and version-key paths; run it
# with tools/bench/run_bench.py (never a ctest test: it measures, it does not judge).
add_executable(bench tools/bench/Bench.cpp res/VexoQuon.rc)  # the dialog needs the product's resources
target_link_options(bench PRIVATE -municode)
target_link_libraries(bench PRIVATE vexo_win)
