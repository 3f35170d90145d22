# Compiler settings shared by every target of this project.

if(QNC_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QNC_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(QNC_FUZZ)
  # Fuzzing builds instrument every library for coverage and memory errors.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT QNC_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QNC_SANITIZE must be address, thread or empty, not '${QNC_SANITIZE}'")
endif()

# Warnings are errors in CI and the development presets; packagers building
# with another compiler version get the warnings without a failed build.
option(QNC_WERROR "Treat compiler warnings in our own code as errors" OFF)

# The warnings for our own code (third-party code built here is left alone).
function(qnc_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(QNC_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 reports false -Wrestrict overlaps inside std::string at -O2/-O3 (GCC bug 105651).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# qnc_library(name SOURCES ... DEPS ...): a static library of one folder of src/.
function(qnc_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qnc_warnings(${name})
endfunction()
