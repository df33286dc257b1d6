# SPDX-License-Identifier: MIT
# Rules every target of the project follows: its warnings and, for the
# libraries of the program's layers, which folders its code may include.

# nomix_warnings(<target> [<flag>...])
#   The stricter warnings <target>'s code is clean of, on top of -Wall
#   -Wextra; with NOMIX_WERROR any warning of the target fails the build.
#   Every library and program of the project calls it (nomix_check_targets).
function(nomix_warnings target)
  target_compile_options(${target} PRIVATE ${ARGN})
  if(NOMIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  set_property(TARGET ${target} PROPERTY NOMIX_WARNINGS "${ARGN}")
endfunction()

# The project's folders one layer's code may or may not include from.
set(NOMIX_LAYER_FOLDERS core platform controls dialogs mainwindow tools bench tests)

# nomix_layer(<target> MAY_INCLUDE <folder>...)
#   The build fails when a source of <target> (headers included) includes a
#   header of a project folder not named here: a lower layer never reaches
#   into a higher one (dialogs/ knows nothing of mainwindow/, core/ nothing
#   of Qt's widgets). Checked whenever one of the sources changes.
function(nomix_layer target)
  cmake_parse_arguments(L "" "" "MAY_INCLUDE" ${ARGN})
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(files)
  foreach(src ${sources})
    if(src MATCHES "\\.(cpp|h)$")
      cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY ${source_dir})
      list(APPEND files ${src})
    endif()
  endforeach()
  set(forbidden ${NOMIX_LAYER_FOLDERS})
  list(REMOVE_ITEM forbidden ${L_MAY_INCLUDE})
  string(REPLACE ";" "|" files_arg "${files}")
  string(REPLACE ";" "|" forbidden_arg "${forbidden}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layer.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DTARGET=${target} -DFILES=${files_arg}
            -DFORBIDDEN=${forbidden_arg} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayer.cmake
    COMMENT "Checking the includes of ${target}"
    VERBATIM)
  add_custom_target(${target}_layer DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer)
endfunction()

# Fails the configure step if a library or program of the project has no
# nomix_warnings() call, so a new target cannot miss NOMIX_WERROR.
function(nomix_check_targets)
  set(dirs ${PROJECT_SOURCE_DIR})
  set(missing)
  while(dirs)
    list(POP_FRONT dirs dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND dirs ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|EXECUTABLE)$")
        continue()
      endif()
      get_property(has_warnings TARGET ${target} PROPERTY NOMIX_WARNINGS SET)
      if(NOT has_warnings)
        list(APPEND missing ${target})
      endif()
    endforeach()
  endwhile()
  if(missing)
    message(FATAL_ERROR "No nomix_warnings() call for: ${missing}")
  endif()
endfunction()
