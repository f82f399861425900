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

# ---- Fuzzing -----------------------------------------------------------------
# libFuzzer targets of the portable parsers, built with clang in a sub-project;
# ctest runs each for a fixed number of inputs from its seed corpus, so the
# suite's time stays bounded (tools/fuzz.sh TARGET SECONDS runs one longer).
find_program(VEXO_CLANGXX NAMES clang++ clang++-14)
if(VEXO_CLANGXX)
  include(ExternalProject)
  set(VEXO_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
  ExternalProject_Add(vexo_fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
    BINARY_DIR ${VEXO_FUZZ_DIR}
    CMAKE_ARGS -G Ninja -DCMAKE_CXX_COMPILER=${VEXO_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
      -DVEXO_ROOT=${CMAKE_SOURCE_DIR} -DVEXO_GENERATED_DIR=${VEXO_GENERATED_DIR}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  file(GLOB _fuzz_targets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  foreach(t ${_fuzz_targets})
    get_filename_component(name ${t} NAME_WE)
    string(REPLACE "fuzz_" "" short ${name})
    add_test(NAME fuzz.${short}
      COMMAND ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh ${VEXO_FUZZ_DIR}/${name}
        ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${short} 50000 ${CMAKE_BINARY_DIR}/fuzz-artifacts)
  endforeach()
else()
  message(WARNING "clang++ not found: the fuzz targets are not built")
endif()
