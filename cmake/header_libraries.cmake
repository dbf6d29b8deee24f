# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's header-only libraries, for the native and the WebAssembly builds
# alike. emscripten must not see the rest of /usr/include (its own C library
# stands there), so each is reached through a folder that holds only it.
#   stb_image_write  libstb-dev           <stb/stb_image_write.h>
#   nlohmann_json    nlohmann-json3-dev   <nlohmann/json.hpp>
#   kainjow_mustache libkainjow-mustache-dev <kainjow/mustache.hpp>
function(teglomer_header_library target package header)
  if(NOT EXISTS /usr/include/${header})
    message(FATAL_ERROR "/usr/include/${header} is missing: apt-get install ${package}")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/header-libraries/${target})
  get_filename_component(top ${header} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  if(NOT EXISTS ${dir}/${top})
    file(CREATE_LINK /usr/include/${top} ${dir}/${top} SYMBOLIC)
  endif()
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${dir})
endfunction()

teglomer_header_library(nlohmann_json nlohmann-json3-dev nlohmann/json.hpp)
# The site's generator alone.
if(EMSCRIPTEN)
  teglomer_header_library(stb_image_write libstb-dev stb/stb_image_write.h)
  teglomer_header_library(kainjow_mustache libkainjow-mustache-dev kainjow/mustache.hpp)
endif()
