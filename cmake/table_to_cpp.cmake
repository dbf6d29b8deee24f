# SPDX-License-Identifier: GPL-3.0-or-later
# Turns a table of tab-separated values with a heading row into the rows of
# a C++ aggregate initializer, one braced row a line, for a source file to
# #include between braces. Numbers are written as they stand in the table;
# a field of one letter becomes a character literal. Anything else fails the
# build, so a damaged table cannot turn into wrong numbers.
#   cmake -DIN=table.txt -DOUT=table.inc -P table_to_cpp.cmake
file(STRINGS "${IN}" lines ENCODING UTF-8)
list(POP_FRONT lines heading)
string(STRIP "${heading}" heading)
string(REPLACE "\t" ", " heading "${heading}")
get_filename_component(name "${IN}" NAME)
set(out "// Written by the build from ${name}; do not edit.\n// ${heading}\n")
set(row 1)
foreach(line IN LISTS lines)
  math(EXPR row "${row} + 1")
  string(STRIP "${line}" line)
  if(line STREQUAL "")
    continue()
  endif()
  string(REPLACE "\t" ";" fields "${line}")
  set(cells "")
  foreach(field IN LISTS fields)
    if(field MATCHES "^-?[0-9]+([.][0-9]+)?$")
      list(APPEND cells "${field}")
    elseif(field MATCHES "^[A-Za-z]$")
      list(APPEND cells "'${field}'")
    else()
      message(FATAL_ERROR "${IN}:${row}: not a number or a letter: \"${field}\"")
    endif()
  endforeach()
  list(JOIN cells ", " cells)
  string(APPEND out "{${cells}},\n")
endforeach()
file(WRITE "${OUT}.new" "${out}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
