# SPDX-License-Identifier: MIT
# The core's sources, one list for the program's build and the fuzzers'
# (fuzz/CMakeLists.txt), relative to core/.
set(NOMIX_CORE_SOURCES
  asciifinder.cpp asciifinder.h
  bytecount.cpp bytecount.h
  database.cpp database.h
  datafolderlock.cpp datafolderlock.h
  databaselines.cpp databaselines.h
  datafile.cpp datafile.h
  delimiterset.h
  fields.cpp fields.h
  fileerror.cpp fileerror.h
  helptopic.h
  hitlines.cpp hitlines.h
  leftovers.cpp leftovers.h
  linematcher.cpp linematcher.h
  namesbyproduct.cpp namesbyproduct.h
  productselection.cpp productselection.h
  producttable.cpp producttable.h
  registry.h
  registryerror.h
  replacementfile.cpp replacementfile.h
  reportfile.cpp reportfile.h
  reportsink.h
  reportwriter.cpp reportwriter.h
  resultwriter.cpp resultwriter.h
  searchengine.cpp searchengine.h
  serverurl.cpp serverurl.h
  settingsstore.cpp settingsstore.h
  streamsearch.cpp streamsearch.h
  taskpool.cpp taskpool.h
  utf8.cpp utf8.h)
include(${CMAKE_CURRENT_LIST_DIR}/labelling/sources.cmake)
