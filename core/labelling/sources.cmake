# SPDX-License-Identifier: MIT
# The consensus family of a line from its products' labels, relative to
# core/: part of the core library, listed apart as the folder is.
list(APPEND NOMIX_CORE_SOURCES
  labelling/familyvote.cpp labelling/familyvote.h
  labelling/labellingrules.cpp labelling/labellingrules.h
  labelling/linefamilies.cpp labelling/linefamilies.h)
