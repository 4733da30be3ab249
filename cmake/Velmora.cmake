# SPDX-License-Identifier: GPL-3.0-or-later
# Shared build settings and helpers for every target of the project.

add_library(velmora_options INTERFACE)
target_compile_options(velmora_options INTERFACE
  -Wall -Wextra -Wshadow -Wpedantic
  "$<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual;-Wnon-virtual-dtor>")
# A signal connected to a slot that narrows its argument does not compile.
target_compile_definitions(velmora_options INTERFACE QT_NO_KEYWORDS
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(VELMORA_WERROR)
  target_compile_options(velmora_options INTERFACE -Werror)
endif()
if(VELMORA_SANITIZE)
  target_compile_options(velmora_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(velmora_options INTERFACE -fsanitize=address,undefined)
endif()
# The sanitizers' settings for every test run.
set(VELMORA_SANITIZER_ENV
  "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1;TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp")
if(VELMORA_TSAN)
  if(VELMORA_SANITIZE)
    message(FATAL_ERROR "VELMORA_TSAN and VELMORA_SANITIZE cannot be combined")
  endif()
  target_compile_options(velmora_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(velmora_options INTERFACE -fsanitize=thread)
endif()
# Optimised builds get the distribution's hardening: checked string and memory functions,
# stack canaries and stack-clash probes, position-independent programs, and relocations
# resolved at start and then made read-only. Sanitised and fuzzing builds do their own checks.
if(VELMORA_HARDENING AND NOT VELMORA_SANITIZE AND NOT VELMORA_TSAN AND NOT VELMORA_LIBFUZZER)
  set(optimised "$<NOT:$<CONFIG:Debug>>")
  target_compile_options(velmora_options INTERFACE
    "$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong;-fstack-clash-protection>")
  target_link_options(velmora_options INTERFACE "$<${optimised}:LINKER:-z,relro,-z,now>")
endif()
if(VELMORA_LIBFUZZER)
  # Coverage for every library, so the fuzzer sees inside the readers it drives.
  target_compile_options(velmora_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# The program's own code (src and tools, not the tests) also keeps its conversions explicit.
add_library(velmora_strict INTERFACE)
target_compile_options(velmora_strict INTERFACE
  "$<$<COMPILE_LANGUAGE:CXX>:-Wconversion;-Wsign-conversion;-Wold-style-cast>"
  "$<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CXX_COMPILER_ID:GNU>>:-Wuseless-cast>")

# velmora_add_library(<folder> [DEPS ...]): a static library velmora_<folder> from
# every .cpp and .h in src/<folder>; an interface library while the folder is empty.
function(velmora_add_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  set(target velmora_${folder})
  list(FILTER sources EXCLUDE REGEX "/Velmora\\.cpp$")
  set(has_cpp FALSE)
  foreach(s IN LISTS sources)
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC velmora_options ${ARG_DEPS})
    target_link_libraries(${target} PRIVATE velmora_strict)
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE velmora_options ${ARG_DEPS})
  endif()
endfunction()

# velmora_add_test(<folder> [GUI] [DEPS ...]): one GoogleTest binary test_<folder> from every
# .cpp in tests/<folder>. GUI tests get a main that owns one QApplication on the offscreen platform.
function(velmora_add_test folder)
  cmake_parse_arguments(ARG "GUI" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  if(ARG_GUI)
    set(main ${CMAKE_SOURCE_DIR}/tests/common/GuiTestMain.cpp)
  else()
    set(main ${CMAKE_SOURCE_DIR}/tests/common/TestMain.cpp)
  endif()
  add_executable(${target} ${sources} ${main})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock Qt6::Test velmora_options)
  target_compile_definitions(${target} PRIVATE
    VELMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELMORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${folder} COMMAND ${target})
  set_tests_properties(${folder} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VELMORA_SANITIZER_ENV}"
    TIMEOUT 900)
endfunction()
