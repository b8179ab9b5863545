# testbed_library(NAME <name> [DEPS <targets...>])
# Builds every .cpp of the calling folder into one static library. Include paths are rooted at the
# repository, so code includes "foundation/Logger.h", "engine/Mesh.h" and so on.
function(testbed_library)
  cmake_parse_arguments(ARG "" "NAME" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(sources)
    add_library(${ARG_NAME} STATIC ${sources})
    target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${ARG_NAME} PRIVATE -Wall -Wextra)
    target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
  else()
    # A folder without sources yet still provides its include path and dependencies.
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# testbed_tests(NAME <name> DEPS <targets...>)
# One GoogleTest binary per folder of tests/, registered with CTest test by test.
function(testbed_tests)
  cmake_parse_arguments(ARG "" "NAME" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${ARG_NAME} ${sources})
  target_compile_options(${ARG_NAME} PRIVATE -Wall -Wextra)
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${ARG_NAME} PRIVATE
    TESTBED_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TESTBED_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # Tests of one binary share a working directory and its "GameEngine.log", so they run one at a
  # time; different binaries still run in parallel.
  gtest_discover_tests(${ARG_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60
    PROPERTIES RESOURCE_LOCK ${ARG_NAME})
endfunction()

# testbed_benchmarks(NAME <name> DEPS <targets...>): Google Benchmark binary, built but not run by ctest.
function(testbed_benchmarks)
  cmake_parse_arguments(ARG "" "NAME" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${ARG_NAME} ${sources})
  target_compile_options(${ARG_NAME} PRIVATE -Wall -Wextra)
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  target_compile_definitions(${ARG_NAME} PRIVATE
    TESTBED_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TESTBED_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()

# testbed_fuzzer(NAME <fuzz_name> DEPS <targets...>): a libFuzzer target built from <Name>.cpp
# files of the calling folder listed in SOURCES, and part of the `fuzzers` target. Its seed corpus
# is written by `generate_data --fuzz-corpus DIR` into DIR/<fuzz_name>/.
function(testbed_fuzzer)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_compile_options(${ARG_NAME} PRIVATE -Wall -Wextra)
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS})
  target_link_options(${ARG_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzzers ${ARG_NAME})
endfunction()
