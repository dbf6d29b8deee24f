# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the service worker with the site's files, the SHA-256 of each, and a
# cache version made from them:
#   cmake -DSITE=DIR [-DLIST=FILE] -DFILES=a,b,... -DTEMPLATE=sw.js -P stamp.cmake
# The files are those LIST names, one a line (the generator's), then FILES.
cmake_minimum_required(VERSION 3.25)
set(files "")
if(LIST)
  file(STRINGS "${LIST}" files)
endif()
string(REPLACE "," ";" more "${FILES}")
list(APPEND files ${more})
set(digests "")
set(list "")
foreach(file IN LISTS files)
  file(SHA256 "${SITE}/${file}" digest)
  string(APPEND digests "${file} ${digest}\n")
  # 64 bits tell one build's file from another's.
  string(SUBSTRING "${digest}" 0 16 digest)
  # The page is kept under the folder's own address, as it is first loaded.
  if(file STREQUAL "index.html")
    set(file "./")
  endif()
  string(APPEND list "\n  ['${file}', '${digest}'],")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 version)
file(READ "${TEMPLATE}" worker)
string(REPLACE "@VERSION@" "${version}" worker "${worker}")
string(REPLACE "@FILES@" "${list}" worker "${worker}")
set(old "")
if(EXISTS "${SITE}/sw.js")
  file(READ "${SITE}/sw.js" old)
endif()
if(NOT old STREQUAL worker)
  file(WRITE "${SITE}/sw.js" "${worker}")
endif()
