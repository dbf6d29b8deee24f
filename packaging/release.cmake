# SPDX-License-Identifier: GPL-3.0-or-later
# The release and its publisher, each written in one place: the version, date
# and notes in the newest entry of debian/changelog; the maintainer, homepage
# and bug tracker in debian/control. Sets:
#   TEGLOMER_VERSION        1.0.0
#   TEGLOMER_RELEASE_DATE   2026-12-08
#   TEGLOMER_RELEASE_NOTES  the entry's items as AppStream <ul> markup
#   TEGLOMER_DEVELOPER      the maintainer's name
#   TEGLOMER_HOMEPAGE, TEGLOMER_BUG_TRACKER   web addresses
# and each of the last three XML-escaped as ..._XML.
set(debian_dir ${CMAKE_CURRENT_LIST_DIR}/../debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${debian_dir}/changelog ${debian_dir}/control)

function(teglomer_xml_escape var text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# --- the newest changelog entry
file(STRINGS ${debian_dir}/changelog changelog ENCODING UTF-8)
list(GET changelog 0 header)
if(NOT header MATCHES "^teglomer \\(([0-9]+\\.[0-9]+\\.[0-9]+)\\) ")
  message(FATAL_ERROR "debian/changelog: the first line names no version x.y.z: ${header}")
endif()
set(TEGLOMER_VERSION ${CMAKE_MATCH_1})

set(items)
set(item "")
set(trailer "")
list(SUBLIST changelog 1 -1 entry)
foreach(line IN LISTS entry)
  if(line MATCHES "^ -- ")
    set(trailer "${line}")
    break()
  elseif(line MATCHES "^  \\* (.*)")
    if(NOT item STREQUAL "")
      list(APPEND items "${item}")
    endif()
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    +(.*)")
    string(APPEND item " ${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT item STREQUAL "")
  list(APPEND items "${item}")
endif()
if(NOT items)
  message(FATAL_ERROR "debian/changelog: the newest entry has no items")
endif()

# " -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000"
if(NOT trailer MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "debian/changelog: the newest entry's date cannot be read: ${trailer}")
endif()
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
if(month LESS 0)
  message(FATAL_ERROR "debian/changelog: no such month: ${CMAKE_MATCH_2}")
endif()
math(EXPR month "${month} + 1")
string(LENGTH "${day}" length)
if(length EQUAL 1)
  set(day 0${day})
endif()
if(month LESS 10)
  set(month 0${month})
endif()
set(TEGLOMER_RELEASE_DATE ${year}-${month}-${day})

set(TEGLOMER_RELEASE_NOTES "<ul>")
foreach(item IN LISTS items)
  teglomer_xml_escape(item "${item}")
  string(APPEND TEGLOMER_RELEASE_NOTES "<li>${item}</li>")
endforeach()
string(APPEND TEGLOMER_RELEASE_NOTES "</ul>")

# --- the publisher, from the source stanza
file(READ ${debian_dir}/control control)
foreach(field Maintainer Homepage X-Bug-Tracker)
  if(NOT control MATCHES "\n${field}: ([^\n]+)")
    message(FATAL_ERROR "debian/control has no ${field} field")
  endif()
  set(value_${field} "${CMAKE_MATCH_1}")
endforeach()
if(NOT value_Maintainer MATCHES "^([^<]+[^< ]) *<[^>]+>$")
  message(FATAL_ERROR "debian/control: Maintainer is not \"Name <address>\": ${value_Maintainer}")
endif()
set(TEGLOMER_DEVELOPER "${CMAKE_MATCH_1}")
set(TEGLOMER_HOMEPAGE "${value_Homepage}")
set(TEGLOMER_BUG_TRACKER "${value_X-Bug-Tracker}")
foreach(var TEGLOMER_DEVELOPER TEGLOMER_HOMEPAGE TEGLOMER_BUG_TRACKER)
  teglomer_xml_escape(${var}_XML "${${var}}")
endforeach()
