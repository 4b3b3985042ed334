# Host-side driver: one cross-compiled tree per target, in build/<arch>.
# Step 1 of each tree builds its payload; step 2 the programs the demo runs
# (the builder and runexit), step 3 the whole tree with its tests; steps 2
# and 3 need the payload of the other tree as well. The target `demo` stops
# after step 2 of the x86-64 tree (and step 1 of the i686 tree): what
# scripts/demo.sh runs, without the tests.
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
  ExternalProject_Add_Step(${arch} demo
    COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target demo_programs
    DEPENDEES build
    ALWAYS TRUE
    USES_TERMINAL TRUE)
  ExternalProject_Add_Step(${arch} all
    COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR>
    DEPENDEES demo
    ALWAYS TRUE
    USES_TERMINAL TRUE)
  ExternalProject_Add_StepTargets(${arch} demo)
endforeach()

foreach(arch IN LISTS _arches)
  ExternalProject_Add_StepDependencies(${arch} demo ${_peer_${arch}}-build)
endforeach()

add_custom_target(demo DEPENDS x86_64-demo)
