# SPDX-License-Identifier: MIT
# cmake -DTARGET=<name> -DFILES=<a|b|...> -DFORBIDDEN=<folder|...> -DSTAMP=<file> -P CheckLayer.cmake
# Fails, naming each line, when one of FILES includes "<folder>/..." for a
# folder in FORBIDDEN; writes STAMP when none does.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "|" ";" files "${FILES}")
string(REPLACE "|" ";" forbidden "${FORBIDDEN}")
set(errors)
foreach(file ${files})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" folder "${line}")
    if(folder IN_LIST forbidden)
      string(APPEND errors "  ${file}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(errors)
  list(JOIN forbidden ", " forbidden)
  message(FATAL_ERROR "${TARGET} may not include headers of ${forbidden}:\n${errors}")
endif()
file(TOUCH ${STAMP})
