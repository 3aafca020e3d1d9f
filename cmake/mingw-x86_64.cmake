# Cross toolchain for the 64-bit Windows build (today's Windows), tested under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_mingw x86_64-w64-mingw32)
set(_mingw_arch_flags "")
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
