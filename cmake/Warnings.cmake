# Shared compiler settings for every target of the project.
add_library(fotarel_options INTERFACE)
target_compile_options(fotarel_options INTERFACE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(fotarel_options INTERFACE -Wshadow=local)
else()
  target_compile_options(fotarel_options INTERFACE -Wshadow-uncaptured-local)
endif()
if(FOTAREL_WERROR)
  target_compile_options(fotarel_options INTERFACE -Werror)
endif()
if(FOTAREL_TSAN)
  target_compile_options(fotarel_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(fotarel_options INTERFACE -fsanitize=thread)
endif()
if(FOTAREL_SANITIZE)
  target_compile_options(fotarel_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(fotarel_options INTERFACE -fsanitize=address,undefined)
endif()

# fotarel_add_test(NAME name SOURCES ... LIBS ... [OWN_MAIN]): one GoogleTest executable,
# registered with CTest test by test.
include(GoogleTest)
function(fotarel_add_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest fotarel_options)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Fuzz targets need coverage instrumentation in the code they reach.
if(FOTAREL_FUZZ)
  target_compile_options(fotarel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# fotarel_add_fuzzer(NAME name SOURCES ... LIBS ... [SECONDS n]): a libFuzzer
# target, run by CTest for a short while on top of its seed corpus (if any).
function(fotarel_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} fotarel_options)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${F_NAME})
  if(EXISTS ${seeds})
    set(seed_arg ${seeds})
  endif()
  add_test(NAME fuzz.${F_NAME}
    COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
            ${corpus} ${seed_arg})
endfunction()
