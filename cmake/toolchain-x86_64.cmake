# MinGW-w64 cross toolchain, x86_64, posix thread model.
set(VESMARIN_ARCH x86_64)
set(_triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-common.cmake)
