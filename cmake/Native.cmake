# Native (Linux) build: the Windows-free logic and its unit tests.
# CMAKE_BUILD_TYPE=Asan builds everything with AddressSanitizer and UBSan.
set(CMAKE_CXX_FLAGS_ASAN "-O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined")
set(CMAKE_C_FLAGS_ASAN "${CMAKE_CXX_FLAGS_ASAN}")
set(CMAKE_EXE_LINKER_FLAGS_ASAN "-fsanitize=address,undefined")

target_compile_options(vexo_portable PRIVATE -Wall -Wextra)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE vexo_portable GTest::gtest_main)

include(GoogleTest)
gtest_discover_tests(native_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "native.")

add_test(NAME standin.selftest
  COMMAND ${VEXO_PYTHON} -m pytest -q -p no:cacheprovider ${CMAKE_SOURCE_DIR}/tools/platform)
