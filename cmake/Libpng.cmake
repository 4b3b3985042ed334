# libpng, built for this tree from Debian's source package. The sources are
# fetched once into the host build folder (scripts/fetch-libpng.sh, also run
# by scripts/setup.sh); here they are compiled with this tree's toolchain
# against MinGW's static zlib and installed into a sysroot of the tree.
# Programs link the imported target vesmarin_png.

if(NOT VESMARIN_LIBPNG_DIR)
  set(VESMARIN_LIBPNG_DIR ${CMAKE_BINARY_DIR}/../libpng)
endif()
get_filename_component(VESMARIN_LIBPNG_DIR ${VESMARIN_LIBPNG_DIR} ABSOLUTE)
set(_png_source ${VESMARIN_LIBPNG_DIR}/src)
if(NOT EXISTS ${_png_source}/png.h)
  message(STATUS "Fetching libpng's Debian source package into ${VESMARIN_LIBPNG_DIR}")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-libpng.sh ${VESMARIN_LIBPNG_DIR}
                  RESULT_VARIABLE _png_fetch)
  if(NOT _png_fetch EQUAL 0 OR NOT EXISTS ${_png_source}/png.h)
    message(FATAL_ERROR "libpng's sources could not be fetched (run scripts/setup.sh)")
  endif()
endif()

include(ExternalProject)
set(VESMARIN_SYSROOT ${CMAKE_BINARY_DIR}/sysroot)
set(_png_library ${VESMARIN_SYSROOT}/lib/libpng16.a)
set(_zlib_library ${CMAKE_FIND_ROOT_PATH}/lib/libz.a)
ExternalProject_Add(libpng_build
  SOURCE_DIR ${_png_source}
  BINARY_DIR ${CMAKE_BINARY_DIR}/libpng-build
  INSTALL_DIR ${VESMARIN_SYSROOT}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    -DPNG_HARDWARE_OPTIMIZATIONS=OFF
    -DZLIB_USE_STATIC_LIBS=ON
    -DZLIB_LIBRARY=${_zlib_library}
    -DZLIB_INCLUDE_DIR=${CMAKE_FIND_ROOT_PATH}/include
    -DSKIP_INSTALL_FILES=ON -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXPORT=ON
  BUILD_BYPRODUCTS ${_png_library}
  EXCLUDE_FROM_ALL TRUE)

file(MAKE_DIRECTORY ${VESMARIN_SYSROOT}/include)
add_library(vesmarin_png STATIC IMPORTED GLOBAL)
set_target_properties(vesmarin_png PROPERTIES
  IMPORTED_LOCATION ${_png_library}
  INTERFACE_INCLUDE_DIRECTORIES ${VESMARIN_SYSROOT}/include
  INTERFACE_LINK_LIBRARIES ${_zlib_library})
add_dependencies(vesmarin_png libpng_build)
