# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the "posix"
# threads variant, which has std::thread and std::mutex):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Programs are linked statically, so they run without the compiler's DLLs
# (libstdc++, libgcc, winpthread) beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
