# SPDX-License-Identifier: MIT
# Qt's translation tools, lupdate and lrelease (Debian's qt6-l10n-tools), of
# the Qt the program is built with: they are called directly, since Debian
# keeps Qt's CMake functions for them in a package that brings Qt's designer
# and help tools along. Without them the programs build all the same, in
# English only; NOMIX_LUPDATE and NOMIX_LRELEASE are then false.
set(NOMIX_QT_BIN_DIR "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
find_program(NOMIX_LUPDATE lupdate HINTS ${NOMIX_QT_BIN_DIR} NO_DEFAULT_PATH)
find_program(NOMIX_LRELEASE lrelease HINTS ${NOMIX_QT_BIN_DIR} NO_DEFAULT_PATH)
if(NOT NOMIX_LUPDATE OR NOT NOMIX_LRELEASE)
  message(WARNING "lupdate or lrelease not found in ${NOMIX_QT_BIN_DIR} (scripts/setup installs "
                  "qt6-l10n-tools): the desktop program is built without its translations")
endif()

# nomix_compile_translation(<ts> <qm>): a build rule that compiles the
# translation <ts> into <qm>, which the program loads.
function(nomix_compile_translation ts qm)
  get_filename_component(dir ${qm} DIRECTORY)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${NOMIX_LRELEASE} -silent ${ts} -qm ${qm}
    DEPENDS ${ts}
    COMMENT "Compiling the translation ${ts}"
    VERBATIM)
endfunction()
