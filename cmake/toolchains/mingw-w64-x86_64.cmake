# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# std::thread and std::jthread work). Programs link statically: the .exe files
# run without MinGW DLLs beside them. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QNC_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QNC_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QNC_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QNC_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QNC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and CTest's discovery of their cases) run through Wine.
find_program(QNC_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QNC_WINE})
