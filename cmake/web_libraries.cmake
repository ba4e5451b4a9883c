# The libraries of the browser build, from the prefix scripts/web-deps.sh
# builds out of Debian's source packages. The targets get the native build's
# names, so the rest of CMakeLists.txt links them unchanged.
set(KESTREVAN_WEB_PREFIX "${CMAKE_BINARY_DIR}/deps/prefix" CACHE PATH
    "Where scripts/web-deps.sh installed the browser build's libraries")
if(NOT EXISTS "${KESTREVAN_WEB_PREFIX}/lib/libSDL2.a")
  message(FATAL_ERROR "No SDL2 for emscripten in ${KESTREVAN_WEB_PREFIX}: run scripts/web-deps.sh")
endif()
# Emscripten's sysroot has a stub SDL2 config that means its downloading
# port; the configs are named outright and the search rooted in our prefix.
list(PREPEND CMAKE_FIND_ROOT_PATH "${KESTREVAN_WEB_PREFIX}")
set(SDL2_DIR "${KESTREVAN_WEB_PREFIX}/lib/cmake/SDL2" CACHE PATH "" FORCE)
set(SDL2_image_DIR "${KESTREVAN_WEB_PREFIX}/lib/cmake/SDL2_image" CACHE PATH "" FORCE)
find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_image CONFIG REQUIRED)
foreach(target SDL2::SDL2-static SDL2_image::SDL2_image-static)
  get_target_property(options ${target} INTERFACE_LINK_OPTIONS)
  get_target_property(libraries ${target} INTERFACE_LINK_LIBRARIES)
  if("${options};${libraries}" MATCHES "USE_SDL")
    message(FATAL_ERROR "${target} is emscripten's SDL port, not the prefix's build")
  endif()
endforeach()
# SDL2's config names its static build SDL2::SDL2 itself; SDL2_image's does not.
if(NOT TARGET SDL2::SDL2)
  add_library(SDL2::SDL2 ALIAS SDL2::SDL2-static)
endif()
if(NOT TARGET SDL2_image::SDL2_image)
  add_library(SDL2_image::SDL2_image ALIAS SDL2_image::SDL2_image-static)
endif()

# OpenAL is emscripten's own, on WebAudio.
add_library(OpenAL::OpenAL INTERFACE IMPORTED)
set_target_properties(OpenAL::OpenAL PROPERTIES INTERFACE_LINK_OPTIONS "-lopenal")
# One thread: a threaded wasm needs cross-origin isolation headers.
add_library(Threads::Threads INTERFACE IMPORTED)
# Headers only, copied into the prefix.
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${KESTREVAN_WEB_PREFIX}/include")

# The game's errors are exceptions; emscripten drops them unless told.
# JavaScript-side exceptions, as ASYNCIFY cannot unwind wasm ones.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
set(KESTREVAN_TESTS OFF CACHE BOOL "" FORCE)
