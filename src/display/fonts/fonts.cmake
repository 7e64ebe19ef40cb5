# Stroke fonts: the block cache and the font-file decoders as their own library
# (the plug-in links it too), and the font files generated into the build folder.
add_library(strokefont STATIC ${CMAKE_CURRENT_LIST_DIR}/fontcache.cpp ${CMAKE_CURRENT_LIST_DIR}/fontfile.cpp)
target_link_libraries(strokefont PUBLIC ink_options)
set_property(GLOBAL APPEND PROPERTY INK_ENGINE_MODULES strokefont)

# Sources of the glyphs: KanjiVG installed by scripts/env.sh (npm ci of
# data/fonts/package-lock.json outside the source tree) and Debian's Hershey fonts.
set(ink_font_deps "$ENV{INK_FONT_DEPS}")
if(NOT ink_font_deps)
  if(DEFINED ENV{INK_CACHE})
    set(ink_font_deps "$ENV{INK_CACHE}/fontdeps")
  else()
    set(ink_font_deps "$ENV{HOME}/.cache/inkforge/fontdeps")
  endif()
endif()
set(INK_KANJIVG_DIR "${ink_font_deps}/node_modules/@madcat/kanjivg/dist/main" CACHE PATH "KanjiVG SVG files")
set(INK_HERSHEY_DIR "/usr/share/hershey-fonts" CACHE PATH "Hershey .jhf files")
find_program(INK_PYTHON3 python3 HINTS /usr/bin REQUIRED)

set(INK_FONT_DIR ${CMAKE_BINARY_DIR}/fonts CACHE INTERNAL "generated stroke fonts")
set(ink_font_files ikfrgstd.idx ikfrgstd.knj inkfrghq.idx inkfrghq.kj1 inkfrghq.kj2 NOTICE)
list(TRANSFORM ink_font_files PREPEND ${INK_FONT_DIR}/)
add_custom_command(
  OUTPUT ${ink_font_files}
  COMMAND ${INK_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/fontgen.py --kanjivg ${INK_KANJIVG_DIR}
          --hershey ${INK_HERSHEY_DIR} --notice ${CMAKE_SOURCE_DIR}/data/fonts/NOTICE --out ${INK_FONT_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/fontgen.py ${CMAKE_SOURCE_DIR}/data/fonts/NOTICE
          ${CMAKE_SOURCE_DIR}/data/fonts/package-lock.json
  COMMENT "Generating stroke fonts"
  VERBATIM)
add_custom_target(fonts ALL DEPENDS ${ink_font_files})
