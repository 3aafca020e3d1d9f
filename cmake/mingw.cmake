# What both Windows toolchains share (mingw-i686.cmake, mingw-x86_64.cmake set the target first):
# mingw-w64 with POSIX threads, fully static runtime (the .scr must run on a bare Windows without
# MinGW DLLs beside it), tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
find_program(CMAKE_AR ${_mingw}-gcc-ar-posix)
find_program(CMAKE_RANLIB ${_mingw}-gcc-ranlib-posix)

# Find headers and libraries only in the target's sysroot, programs only on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "${_mingw_arch_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_mingw_arch_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Every Windows test program runs through Wine, in a prefix of its own inside the build tree, of
# the program's own width.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(PETALSTREAM_WINEARCH win64)
else()
  set(PETALSTREAM_WINEARCH win32)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;--arch;${PETALSTREAM_WINEARCH};--prefix;${CMAKE_BINARY_DIR}/wineprefix")
