# vesmarin_delay_imports(<target> <library>...)
# The target takes each system library's functions through a delay-load
# import library made from MinGW's own import library: the library is
# loaded on the first call of one of its functions, not when the program
# starts. Data exports cannot be delayed and are left out (a use of one
# fails the link).
function(vesmarin_delay_imports target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-delay)
  set(outputs)
  foreach(library ${ARGN})
    find_library(import_lib_${library} NAMES lib${library}.a REQUIRED)
    set(import ${import_lib_${library}})
    set(def ${dir}/${library}.def)
    set(lib ${dir}/lib${library}.a)
    if(VESMARIN_64)
      set(strip_underscore "")
      set(kill_at "")
    else()
      # i686 symbols carry a leading underscore and their stdcall size;
      # the imported names carry neither.
      set(strip_underscore "sub(/^_/, \"\", n);")
      set(kill_at -k)
    endif()
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND sh -c "{ echo 'LIBRARY ${library}.dll'; echo EXPORTS; '${CMAKE_NM}' '${import}' | awk '$2 == \"T\" { n = $3; ${strip_underscore} print n }' | sort -u; } > '${def}'"
      COMMAND ${CMAKE_DLLTOOL} ${kill_at} -d ${def} -D ${library}.dll -y ${lib}
      DEPENDS ${import}
      VERBATIM)
    list(APPEND outputs ${lib})
  endforeach()
  add_custom_target(${target}_delay_imports DEPENDS ${outputs})
  add_dependencies(${target} ${target}_delay_imports)
  # Found before MinGW's import libraries of the same names.
  target_link_directories(${target} BEFORE PRIVATE ${dir})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${outputs})
endfunction()
