# ic_add_gtest(NAME SOURCES... LIBS libs...)
# One GoogleTest program per subject. Cross builds run it through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine), so the same cases run on both platforms.
include(GoogleTest)
function(ic_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  # Where the tests find the built programs and the project's fixtures.
  target_compile_definitions(${name} PRIVATE IC_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    IC_TEST_BIN="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endfunction()
