# One helper per kind of target, so every unit is declared the same way.

# velmora_add_library(name SOURCES ... [DEPS ...])
# A static library for one subsystem folder; headers are included as
# "folder/file.h" from the repository root.
function(velmora_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_SOURCES)
    # A subsystem whose code has not landed yet: a header-only placeholder
    # so that dependents can already name it.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    if(ARG_DEPS)
      target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# velmora_add_test(name SOURCES ... [DEPS ...] [QT])
# One test executable per unit, registered with ctest under its own name.
function(velmora_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(ARG_QT)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT_MODIFICATION "VELMORA_STAGE=set:${VELMORA_STAGE_DIR};VELMORA_SOURCE=set:${PROJECT_SOURCE_DIR}"
    TIMEOUT 300)
  if(WIN32 AND name IN_LIST VELMORA_WINDOWS_EXCLUDED_TESTS)
    # Declared, so the folder's own settings still apply, but neither built
    # nor run (see cmake/VelmoraWindows.cmake).
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/excluded)
    set_tests_properties(${name} PROPERTIES DISABLED ON)
  endif()
endfunction()

# velmora_add_fuzzer(name SOURCE file DEPS ... CORPUS dir)
# Every fuzz target is also built as a replay program that runs the committed
# corpus through the same entry point, so ctest exercises it without clang.
# Timed fuzzing runs go through scripts/fuzz.sh, which reports their figures.
function(velmora_add_fuzzer name)
  cmake_parse_arguments(ARG "" "SOURCE;CORPUS" "DEPS" ${ARGN})
  set(targets ${name}-replay)
  add_executable(${name}-replay ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
  add_test(NAME ${name}-replay COMMAND ${name}-replay ${ARG_CORPUS})
  if(VELMORA_FUZZ)
    add_executable(${name} ${ARG_SOURCE})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    list(APPEND targets ${name})
  endif()
  foreach(t ${targets})
    set_target_properties(${t} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    target_link_libraries(${t} PRIVATE ${ARG_DEPS})
    target_include_directories(${t} PRIVATE ${PROJECT_SOURCE_DIR})
    target_compile_definitions(${t} PRIVATE VELMORA_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
  endforeach()
endfunction()
