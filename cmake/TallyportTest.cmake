# One way to register tests: every test runs with a C locale, the offscreen Qt platform and
# throw-away settings and runtime folders, so no test reads or writes the user's own.
find_package(GTest REQUIRED)
include(GoogleTest)

set(TALLYPORT_TEST_DATA_DIR ${CMAKE_SOURCE_DIR}/tests/data)
configure_file(${CMAKE_SOURCE_DIR}/tests/test_paths.h.in
               ${CMAKE_BINARY_DIR}/generated/test_paths.h @ONLY)

function(tallyport_test_env_list name out)
  set(scratch ${CMAKE_BINARY_DIR}/test-scratch/${name})
  file(MAKE_DIRECTORY ${scratch}/config ${scratch}/runtime)
  set(${out}
    "LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${scratch}/config;XDG_RUNTIME_DIR=${scratch}/runtime;TALLYPORT_BIN_DIR=${CMAKE_BINARY_DIR}"
    PARENT_SCOPE)
endfunction()

# tallyport_add_gtest(NAME name SOURCES ... LIBS ... [TIMEOUT s])
# Each GoogleTest case becomes a ctest test of its own.
function(tallyport_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  # The test main sets the environment itself (tests/main/isolation.h).
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# For tests added with add_test directly (scripts, end-to-end runs).
function(tallyport_test_environment name)
  tallyport_test_env_list(${name} env)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
endfunction()
