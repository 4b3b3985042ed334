# MinGW-w64 cross toolchain, i686, posix thread model.
set(VESMARIN_ARCH i686)
set(_triple i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-common.cmake)
