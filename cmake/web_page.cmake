# The page: index.html from our shell, the game as index.js + index.wasm, and
# the native build's generated files packed into index.data. The asset
# generator and the score packer need Cairo and run natively, so their
# output is taken from a native build folder, and the native game decodes
# the JPEGs for the page (scripts/web-files.sh).
set(KESTREVAN_NATIVE_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH
    "A native build folder whose files/ and hs.pak the page packs")
set(native "${KESTREVAN_NATIVE_BUILD}")
if(NOT EXISTS "${native}/files/.generated" OR NOT EXISTS "${native}/hs.pak"
   OR NOT EXISTS "${native}/kestrevan")
  message(FATAL_ERROR
          "No generated files or game in ${native}: build its kestrevan, assets and score_package first")
endif()
set(page_files "${CMAKE_BINARY_DIR}/page-files")
add_custom_command(OUTPUT "${page_files}/logo.jpg"
  COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/web-files.sh" "${native}" "${page_files}"
  DEPENDS "${native}/files/.generated" "${native}/kestrevan" "${CMAKE_SOURCE_DIR}/scripts/web-files.sh"
  COMMENT "The page's files, its JPEGs as the native game decodes them")
add_custom_target(page_files DEPENDS "${page_files}/logo.jpg")
add_dependencies(kestrevan page_files)
set(shell "${CMAKE_SOURCE_DIR}/src/components/media/web/shell.html")

# Whole-program fixes (nanosleep, fsync, the start-up umask) must not wait in a
# library archive, where nothing would pull them in.
target_sources(kestrevan PRIVATE ${CMAKE_SOURCE_DIR}/src/components/media/web/browser_libc.cpp
  # The on-screen buttons of touch screens, as a pad.
  ${CMAKE_SOURCE_DIR}/src/components/media/sdl/web/touch_pad.cpp)
target_link_libraries(kestrevan PRIVATE SDL2::SDL2)
set_target_properties(kestrevan PROPERTIES OUTPUT_NAME index SUFFIX ".html"
  LINK_DEPENDS "${shell};${page_files}/logo.jpg;${native}/hs.pak")
target_link_options(kestrevan PRIVATE
  # The game's loop stays as written: EndFrame and every sleep yield to the
  # browser and resume where they were.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  # The score folder lives in the browser's IndexedDB, stored at each
  # fsync (browser_libc.cpp).
  -lidbfs.js
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web
  # Debian's emcc cannot minify the page.
  -sMINIFY_HTML=0
  "--shell-file=${shell}"
  # The program folder is the file system's root: SDL's base path there.
  "SHELL:--preload-file ${page_files}@/files"
  # Settings come from the page's address (the shell), not setup.ini.
  "SHELL:--preload-file ${native}/hs.pak@/hs.pak")
