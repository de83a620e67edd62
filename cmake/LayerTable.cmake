# The layer table of docs/architecture.md, written from the layer graph that
# ktrb_layer_rules() wrote, so that the map and the build cannot part: the
# table stands between two marker lines of the document; this script checks
# it (a table that differs fails) or, with -DWRITE=ON, writes it there.
# Usage: cmake -DRULES=<layer_rules.cmake> -DDOC=<architecture.md> [-DWRITE=ON]
#              -P LayerTable.cmake
cmake_minimum_required(VERSION 3.25)
include(${RULES})

set(begin "<!-- layer table: written by cmake/LayerTable.cmake from the layers CMakeLists.txt declares -->")
set(end "<!-- end of layer table -->")

set(table "| folder | library | links (layers) | outside libraries |\n| --- | --- | --- | --- |\n")
foreach(l ${KTRB_LAYER_NAMES})
  set(layers "")
  set(outside "")
  foreach(u ${KTRB_LAYER_USES_${l}})
    if(u IN_LIST KTRB_LAYER_NAMES)
      list(APPEND layers "`${u}`")
    else()
      list(APPEND outside "`${u}`")
    endif()
  endforeach()
  list(JOIN layers ", " layers)
  list(JOIN outside ", " outside)
  if(NOT layers)
    set(layers "none")
  endif()
  if(NOT outside)
    set(outside "none")
  endif()
  string(APPEND table "| `${KTRB_LAYER_DIR_${l}}` | `${l}` | ${layers} | ${outside} |\n")
endforeach()

file(READ ${DOC} doc)
string(FIND "${doc}" "${begin}" at_begin)
string(FIND "${doc}" "${end}" at_end)
if(at_begin LESS 0 OR at_end LESS at_begin)
  message(FATAL_ERROR "${DOC}: the layer table's marker lines are missing")
endif()
string(LENGTH "${begin}" length)
math(EXPR from "${at_begin} + ${length}")
math(EXPR length "${at_end} - ${from}")
string(SUBSTRING "${doc}" ${from} ${length} current)
set(wanted "\n${table}")
if(current STREQUAL wanted)
  message("the layer table is the one the build declares")
  return()
endif()
if(NOT WRITE)
  # A plain message first: a fatal one is wrapped where the path ends.
  message("${DOC}: the layer table differs from the layers the build declares; "
          "`cmake --build <build> --target layer_table` writes it")
  message(FATAL_ERROR "the layer table is not the build's")
endif()
string(SUBSTRING "${doc}" 0 ${from} head)
string(SUBSTRING "${doc}" ${at_end} -1 tail)
file(WRITE ${DOC} "${head}${wanted}${tail}")
message("wrote the layer table into ${DOC}")
