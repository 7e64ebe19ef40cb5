# ink_module(<name> CORE <pure sources...> WIN <Windows-only sources...>)
# One object library per engine folder. CORE sources build in both configurations
# (they never include <windows.h>); WIN sources only for Windows.
function(ink_module name)
  cmake_parse_arguments(M "" "" "CORE;WIN;LIBS" ${ARGN})
  set(srcs ${M_CORE})
  if(WIN32)
    list(APPEND srcs ${M_WIN})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_library(${name} OBJECT ${srcs})
  target_link_libraries(${name} PUBLIC ink_options ${M_LIBS})
  set_property(GLOBAL APPEND PROPERTY INK_ENGINE_MODULES ${name})
endfunction()

# The engine: every module's objects in one static library, so the subsystems may
# call each other both ways.
function(ink_engine_library)
  get_property(mods GLOBAL PROPERTY INK_ENGINE_MODULES)
  add_library(engine STATIC ${CMAKE_SOURCE_DIR}/src/engine.cpp)
  target_link_libraries(engine PUBLIC ink_options ${mods})
  if(WIN32)
    target_link_libraries(engine PUBLIC shlwapi gdi32 user32 comdlg32 comctl32 advapi32 shell32)
  endif()
endfunction()

# ink_test(<name> [SERIAL] SOURCES <files...> [LIBS <libs...>]): one test program, run whole
# (under Wine in the Windows configuration, through the crosscompiling emulator).
# SERIAL: the program relies on what is on the screen (window positions, focus), so
# no other test program may run beside it.
function(ink_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} engine GTest::gtest_main ink_options)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  if(T_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
