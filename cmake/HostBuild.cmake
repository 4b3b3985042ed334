# Host-side driver: one cross-compiled tree per target, in build/<arch>.
# Step 1 of each tree builds its payload; step 2 (the whole tree) needs the
# payload of the other tree as well.
include(ExternalProject)

set(_arches i686 x86_64)
set(_peer_i686 x86_64)
set(_peer_x86_64 i686)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()

foreach(arch IN LISTS _arches)
  set(peer ${_peer_${arch}})
  ExternalProject_Add(${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${arch}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DVESMARIN_PEER_BIN=${CMAKE_BINARY_DIR}/${peer}/bin
      -DVESMARIN_LIBPNG_DIR=${CMAKE_BINARY_DIR}/libpng
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target payload
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
    USES_TERMINAL_BUILD TRUE
    STEP_TARGETS build)
  ExternalProject_Add_Step(${arch} all
    COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
    DEPENDEES build
    ALWAYS TRUE
    USES_TERMINAL TRUE)
endforeach()

foreach(arch IN LISTS _arches)
  ExternalProject_Add_StepDependencies(${arch} all ${_peer_${arch}}-build)
endforeach()
