# GoogleTest is built from Debian's source package so that it carries the same
# sanitizer flags as the code under test.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# qnc_test(name LABEL label SOURCES ... DEPS ... [ENV k=v ...] [LAUNCHER command] [SERIAL]): one GoogleTest
# executable, registered per test case with the given CTest label. A launcher runs it (and its listing) as
# its first argument, like an emulator. SERIAL: its cases run while no other test runs (for a test that
# watches traffic any other test could send).
function(qnc_test name)
  cmake_parse_arguments(ARG "SERIAL" "LABEL;TIMEOUT;LAUNCHER" "SOURCES;DEPS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  qnc_warnings(${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(ARG_ENV)
    # The environment goes through env(1) as the test launcher: a list passed as
    # the ENVIRONMENT property would be split apart on its way through test discovery.
    # A cross-built test keeps its emulator (Wine) after env.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
                                             "/usr/bin/env;${ARG_ENV};${CMAKE_CROSSCOMPILING_EMULATOR}")
  elseif(ARG_LAUNCHER)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${ARG_LAUNCHER};${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
  # Cross-built tests list their cases when CTest runs, not when they are built,
  # so that building never starts the emulator.
  if(CMAKE_CROSSCOMPILING)
    set(discovery_mode PRE_TEST)
  else()
    set(discovery_mode POST_BUILD)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE ${discovery_mode}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ${ARG_SERIAL})
endfunction()
