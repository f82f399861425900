# Test programs and tests of the Windows build.

# The probe: lists, finds and drives windows for the end-to-end tests.
add_executable(probe tests/probe/probe.cpp)
target_compile_definitions(probe PRIVATE ${VEXO_WIN_DEFINITIONS})
target_link_options(probe PRIVATE -municode)
target_link_libraries(probe PRIVATE user32 gdi32 advapi32 ole32 uuid shell32)

# A framework dialog that the end-to-end tests drive through the probe.
add_executable(framework_demo WIN32 tests/win/framework_demo/FrameworkDemo.cpp
  tests/win/framework_demo/FrameworkDemo.rc)
target_link_options(framework_demo PRIVATE -municode)
target_link_libraries(framework_demo PRIVATE vexo_win)

# Windows unit tests, one executable, run under Wine.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} tests/win/WinTests.rc)
target_link_libraries(win_tests PRIVATE vexo_win GTest::gtest_main)
# windres reports no dependencies: the product's resources it includes are listed.
set_property(SOURCE tests/win/WinTests.rc APPEND PROPERTY OBJECT_DEPENDS
  ${CMAKE_SOURCE_DIR}/res/VexoQuon.rc ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/dialogs.rc
  ${CMAKE_SOURCE_DIR}/res/skin.rc ${CMAKE_SOURCE_DIR}/res/dialogs/skin.rc ${CMAKE_SOURCE_DIR}/res/dialogs/mainwnd.rc
  ${CMAKE_SOURCE_DIR}/res/dialogs/browser.rc)

# The shared Wine session (prefix template, Xvfb, wineserver) lives for one ctest run.
add_test(NAME wine.session.start
  COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh start ${VEXO_WINE_STATE})
set_tests_properties(wine.session.start PROPERTIES FIXTURES_SETUP wine)
add_test(NAME wine.session.stop
  COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/session.sh stop ${VEXO_WINE_STATE})
set_tests_properties(wine.session.stop PROPERTIES FIXTURES_CLEANUP wine)

add_test(NAME win.unit COMMAND win_tests --gtest_brief=1)
set_tests_properties(win.unit PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)

# End-to-end: one pytest session per file, each in a fresh copy of the prefix.
file(GLOB E2E_TEST_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(test_file ${E2E_TEST_FILES})
  get_filename_component(test_name ${test_file} NAME_WE)
  string(REPLACE "test_" "" test_name ${test_name})
  add_test(NAME e2e.${test_name}
    COMMAND ${VEXO_PYTHON} -m pytest -q -p no:cacheprovider ${test_file}
      --exe=$<TARGET_FILE:VexoQuon> --probe=$<TARGET_FILE:probe>
      --demo=$<TARGET_FILE:framework_demo> --wine-state=${VEXO_WINE_STATE}
      --artifacts=${CMAKE_BINARY_DIR}/test-artifacts --standin-port=${VEXO_STANDIN_PORT})
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
  ${CMAKE_SOURCE_DIR}/res/dialogs/skin.rc ${CMAKE_SOURCE_DIR}/res/skin.rc)
