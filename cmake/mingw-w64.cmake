# Cross build for 64-bit Windows with MinGW-w64 on Linux; tests run under Wine.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix thread model: GoogleTest needs std::mutex and std::thread.
set(_velmora_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_velmora_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_velmora_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_velmora_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_velmora_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without -static the programs need the MinGW runtime DLLs, which Wine cannot
# find, and they exit with code 53 before main.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# add_test and gtest_discover_tests start the .exe files through this.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ABSOLUTE)
