# Cross toolchain for the 32-bit Windows build (Windows 9x, 32-bit Windows, and 64-bit Windows
# through its 32-bit layer).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(_mingw i686-w64-mingw32)
# SSE2 arithmetic instead of the x87 unit: doubles then round exactly as on x86-64, so the
# animation's numbers (and the tests that check them) agree bit for bit across every build.
set(_mingw_arch_flags "-m32 -msse2 -mfpmath=sse")
include("${CMAKE_CURRENT_LIST_DIR}/mingw.cmake")
