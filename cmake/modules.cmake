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

# The engine: every module's objects in one static library, linked whole into each
# program and test. Upper layers fill the hook tables of the lower ones from
# initialisers in their own files, which nothing below them names: a plain archive
# would leave those files out.
function(ink_engine_library)
  get_property(mods GLOBAL PROPERTY INK_ENGINE_MODULES)
  add_library(engine_archive STATIC ${CMAKE_SOURCE_DIR}/src/engine.cpp)
  target_link_libraries(engine_archive PUBLIC ink_options ${mods})
  if(WIN32)
    target_link_libraries(engine_archive PUBLIC shlwapi gdi32 user32 comdlg32 comctl32 advapi32 shell32 version)
  endif()
  add_library(engine INTERFACE)
  target_link_libraries(engine INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,engine_archive>")
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

# ink_fuzz(<name> SOURCES <files...> [LIBS <libs...>]): a libFuzzer target over the native
# engine (fuzz configuration only). Its test runs it for INK_FUZZ_SECONDS over the seed
# corpus tests/fuzz/corpus/<name>; what it finds is written to the build folder, never
# into the kept corpus.
function(ink_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  set(target ${name}_fuzz)
  add_executable(${target} ${F_SOURCES})
  target_link_libraries(${target} PRIVATE ${F_LIBS} engine ink_options)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(NOT IS_DIRECTORY ${corpus})
    message(FATAL_ERROR "fuzz target ${name} has no seed corpus in ${corpus}")
  endif()
  add_test(NAME ${target}
           COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/fuzz-run.sh $<TARGET_FILE:${target}> ${corpus}
                   ${CMAKE_CURRENT_BINARY_DIR}/${name} ${INK_FUZZ_SECONDS})
  set_tests_properties(${target} PROPERTIES TIMEOUT 600)
endfunction()
