# SPDX-License-Identifier: GPL-3.0-or-later
# The release and its publisher, each written in one place: the version, date
# and notes in the newest entry of debian/changelog, as dpkg-parsechangelog
# reads them; the maintainer, homepage and bug tracker in debian/control.
# Sets:
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
find_program(TEGLOMER_PARSECHANGELOG dpkg-parsechangelog)
if(NOT TEGLOMER_PARSECHANGELOG)
  message(FATAL_ERROR "dpkg-parsechangelog is missing: apt-get install dpkg-dev")
endif()
function(teglomer_changelog var field)
  execute_process(COMMAND ${TEGLOMER_PARSECHANGELOG} -l ${debian_dir}/changelog -S ${field}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  set(${var} "${value}" PARENT_SCOPE)
endfunction()
teglomer_changelog(TEGLOMER_VERSION Version)
teglomer_changelog(timestamp Timestamp)
execute_process(COMMAND date -u -d @${timestamp} +%F OUTPUT_VARIABLE TEGLOMER_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

# Its items: "  * ..." and the lines that go on with it, each one line.
teglomer_changelog(changes Changes)
string(REGEX REPLACE "\n    +" " " changes "${changes}")
string(REGEX MATCHALL "\n  \\* [^\n]+" items "${changes}")
if(NOT items)
  message(FATAL_ERROR "debian/changelog: the newest entry has no items")
endif()
set(TEGLOMER_RELEASE_NOTES "<ul>")
foreach(item IN LISTS items)
  string(REGEX REPLACE "^\n  \\* " "" item "${item}")
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
