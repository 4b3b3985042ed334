# Common settings of every Windows target tree.

set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

if(NOT VESMARIN_ARCH)
  set(VESMARIN_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()
if(VESMARIN_ARCH STREQUAL "x86_64")
  set(VESMARIN_64 ON)
  set(VESMARIN_SUFFIX 64)
else()
  set(VESMARIN_64 OFF)
  set(VESMARIN_SUFFIX "")
endif()

# Only the x86-64 tree can run its programs here (under wine64); the i686
# tree compiles and links the same tests without registering them.
if(VESMARIN_64)
  set(VESMARIN_RUN_TESTS ON)
else()
  set(VESMARIN_RUN_TESTS OFF)
endif()

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601
                        NOMINMAX STRICT WIN32_LEAN_AND_MEAN)
add_compile_options(-Wall -ffunction-sections -fdata-sections
                    $<$<COMPILE_LANGUAGE:CXX>:-Wno-missing-field-initializers>)
# A fully static runtime: no MinGW DLL beside any program.
add_link_options(-static -Wl,--gc-sections
                 $<$<CONFIG:Release>:-s>)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
if(VESMARIN_64)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -DVESMARIN_64")
endif()

# Boost is header-only here: an include folder that holds just the link.
set(VESMARIN_SYSINC ${CMAKE_BINARY_DIR}/sysinc)
if(NOT EXISTS ${VESMARIN_SYSINC}/boost)
  file(MAKE_DIRECTORY ${VESMARIN_SYSINC})
  file(CREATE_LINK /usr/include/boost ${VESMARIN_SYSINC}/boost SYMBOLIC)
endif()
add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${VESMARIN_SYSINC})
target_compile_definitions(boost_headers INTERFACE BOOST_ALL_NO_LIB BOOST_USE_WINDOWS_H)

# GoogleTest from Debian's sources, built with this tree's compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# The wine wrapper every test program runs through.
set(VESMARIN_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VESMARIN_WINE_RUN})

enable_testing()
include(GoogleTest)

# vesmarin_program(<name> [WINDOWS] [CONSOLE] SOURCES ... [LIBS ...])
function(vesmarin_program name)
  cmake_parse_arguments(P "WINDOWS;CONSOLE" "" "SOURCES;LIBS" ${ARGN})
  if(P_WINDOWS)
    add_executable(${name} WIN32 ${P_SOURCES})
    target_link_options(${name} PRIVATE -mwindows)
  else()
    add_executable(${name} ${P_SOURCES})
  endif()
  vesmarin_track_resources(${P_SOURCES})
  set_property(GLOBAL APPEND PROPERTY VESMARIN_PROGRAM_TARGETS ${name})
  # Every program enters through wWinMain or wmain.
  target_link_options(${name} PRIVATE -municode)
  if(P_LIBS)
    target_link_libraries(${name} PRIVATE ${P_LIBS})
  endif()
endfunction()

# vesmarin_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s]
#                [RESOURCE_LOCK name] [SERIAL])
# A GoogleTest program; in the x86-64 tree each of its tests becomes a
# CTest test run under wine. Tests of programs that name the same resource
# lock never run at the same time; SERIAL tests run while nothing else runs
# (tests that read pixels from the shared screen).
function(vesmarin_gtest name)
  cmake_parse_arguments(T "SERIAL" "TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vesmarin_track_resources(${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_dependencies(vesmarin_tests ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(lock_property)
  if(T_RESOURCE_LOCK)
    set(lock_property RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(T_SERIAL)
    list(APPEND lock_property RUN_SERIAL TRUE)
  endif()
  if(VESMARIN_RUN_TESTS)
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${lock_property} TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  endif()
endfunction()

add_custom_target(vesmarin_tests ALL)

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/vesmarin_version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)

# vesmarin_payload(<target>): the builder carries this program.
function(vesmarin_payload target)
  set_property(GLOBAL APPEND PROPERTY VESMARIN_PAYLOAD_TARGETS ${target})
endfunction()

# Adds every direct sub-folder of the current folder that has a
# CMakeLists.txt, in name order.
function(vesmarin_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND
       EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# windres leaves no include dependencies behind: make a resource script
# depend on every file of its own folder, of the folders of the scripts it
# includes (a test program carries a program's resources that way) and of
# the shared resource folders, so an edited fragment, icon or manifest
# rebuilds it.
function(vesmarin_resource_depends rc)
  get_filename_component(dir ${rc} DIRECTORY)
  set(folders ${dir}/*)
  file(STRINGS ${rc} included REGEX "^#include \"[^\"]+\\.rc\"")
  foreach(line IN LISTS included)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" name "${line}")
    get_filename_component(folder ${dir}/${name} DIRECTORY)
    list(APPEND folders ${folder}/*)
  endforeach()
  file(GLOB inputs CONFIGURE_DEPENDS ${folders} ${CMAKE_SOURCE_DIR}/resources/common/*
       ${CMAKE_SOURCE_DIR}/Res/icons/*.ico ${CMAKE_SOURCE_DIR}/Res/manifests/*)
  list(REMOVE_ITEM inputs ${rc})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${inputs})
endfunction()

function(vesmarin_track_resources)
  foreach(source IN LISTS ARGN)
    if(source MATCHES "\\.rc$" AND NOT source MATCHES "payload\\.rc$")
      get_filename_component(full ${source} ABSOLUTE)
      vesmarin_resource_depends(${full})
    endif()
  endforeach()
endfunction()

# vesmarin_small_code(<target>): compile a target for size. For the
# extractor stub, which heads every installer, and the shared code it links.
# - -Os.
# - No data sections: with them MinGW gives every zero-filled variable a
#   .data$ section of its own, which takes room in the file (some 22 KB of
#   buffers in the stub); without them those variables stay in .bss.
# - LocalStdTemplates.h: only the string members the code uses.
function(vesmarin_small_code target)
  target_compile_options(${target} PRIVATE -Os -fno-data-sections
    $<$<COMPILE_LANGUAGE:CXX>:-include ${CMAKE_SOURCE_DIR}/common/LocalStdTemplates.h>)
endfunction()
