# Stroke fonts: block cache, decoders on hand-made files, and the generated fonts.
ink_test(fonts_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/fontcache_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fontfile_test.cpp
         ${CMAKE_CURRENT_LIST_DIR}/fontgen_test.cpp ${CMAKE_CURRENT_LIST_DIR}/fonttest_util.cpp)
add_dependencies(fonts_test fonts)
target_compile_definitions(fonts_test PRIVATE INK_FONT_DIR="${INK_FONT_DIR}")

# Two generator runs give the same bytes.
if(NOT WIN32)
  add_test(NAME fontgen_repeat
           COMMAND ${CMAKE_COMMAND} -DPYTHON=${INK_PYTHON3} -DGEN=${CMAKE_SOURCE_DIR}/tools/fontgen.py
                   -DKANJIVG=${INK_KANJIVG_DIR} -DHERSHEY=${INK_HERSHEY_DIR}
                   -DNOTICE=${CMAKE_SOURCE_DIR}/data/fonts/NOTICE -DFIRST=${INK_FONT_DIR}
                   -DSECOND=${CMAKE_CURRENT_BINARY_DIR}/fonts-again -P ${CMAKE_CURRENT_LIST_DIR}/fontgen_repeat.cmake)
endif()

