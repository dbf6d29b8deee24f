# SPDX-License-Identifier: GPL-3.0-or-later
# Settings of the WebAssembly build (emscripten), made with
#   emcmake cmake -S . -B build-wasm
if(TEGLOMER_WITH_UI)
  message(FATAL_ERROR "The window cannot be built for WebAssembly: -DTEGLOMER_WITH_UI=OFF")
endif()

# The methods report an overflow by throwing, and emscripten leaves
# exceptions off unless asked; WebAssembly's own are smaller and faster than
# the JavaScript-emulated ones.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)
# Optimised for size, and across the libraries at link time: the page's
# module is sent over the network, and a few kilobytes less are a faster
# first visit. A report still takes microseconds.
add_compile_options(-Oz -flto)
add_link_options(-flto)

# The programs run under Node.js, here and in CTest. emcmake names an
# emulator with a flag that current Node rejects, so the project names its own.
find_program(TEGLOMER_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TEGLOMER_NODE})

# emscripten's JavaScript optimizer needs modules that Debian keeps in
# /usr/share/nodejs, where a Node.js from elsewhere does not look.
set(node_path /usr/share/nodejs)
if(DEFINED ENV{NODE_PATH})
  set(node_path "$ENV{NODE_PATH}:${node_path}")
endif()
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${node_path})

# Programs that run under Node.js: they read their .wasm synchronously from
# disk (Node's fetch cannot load a file path) and may grow their memory.
function(teglomer_node_program target)
  target_link_options(${target} PRIVATE -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0
    -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
endfunction()
