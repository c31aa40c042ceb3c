# Veltarion.exe's compilers: the same MinGW-w64 gcc built for the win32 thread model.
set(VELT_THREAD_MODEL win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-i686.cmake)
