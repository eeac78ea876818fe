# libFuzzer targets (FOTAREL_FUZZ=ON, clang). Every target registers itself
# with fotarel_add_fuzzer; scripts/fuzz.sh and the short CTest runs find its
# binary, seeds and dictionary through the file it writes under
# build/fuzz/targets/, so a new target needs no other change.

# The conformance movies beside the repository seed the SWF and action
# targets when they are there (read only; nothing is written into them).
set(FOTAREL_SWF_SUITE "${CMAKE_SOURCE_DIR}/../shared/swf-suite" CACHE PATH
    "Folder of sample movies that seed the SWF fuzz targets")

if(NOT FOTAREL_FUZZ)
  function(fotarel_add_fuzzer)
  endfunction()
  return()
endif()

# Coverage instrumentation in all code the targets reach.
target_compile_options(fotarel_options INTERFACE -fsanitize=fuzzer-no-link)

set(FOTAREL_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
# Targets removed from the build leave no stale entry behind.
file(REMOVE_RECURSE ${FOTAREL_FUZZ_DIR}/targets)

# fotarel_add_fuzzer(NAME name SOURCES ... LIBS ... [SECONDS n])
#
# Seeds, all optional, found by the target's name:
#   corpus/NAME/            beside the CMakeLists.txt that adds the target
#   fuzz/regressions/NAME/  inputs that once failed; replayed on every run
#   build/fuzz/seeds/NAME/  written at build time by the fuzz_seeds target
# Dictionary: fuzz/dict/NAME.dict.
# CTest runs the target for SECONDS (default 20) as fuzz.NAME.
function(fotarel_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_SECONDS)
    set(F_SECONDS 20)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} fotarel_options)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  add_dependencies(${F_NAME} fuzz_seeds_all)

  set(corpus ${FOTAREL_FUZZ_DIR}/corpus/${F_NAME})
  set(generated ${FOTAREL_FUZZ_DIR}/seeds/${F_NAME})
  file(MAKE_DIRECTORY ${corpus} ${generated})
  set(seeds ${generated})
  foreach(dir ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${F_NAME} ${CMAKE_SOURCE_DIR}/fuzz/regressions/${F_NAME})
    if(EXISTS ${dir})
      list(APPEND seeds ${dir})
    endif()
  endforeach()
  set(dict_arg)
  set(dict ${CMAKE_SOURCE_DIR}/fuzz/dict/${F_NAME}.dict)
  if(EXISTS ${dict})
    set(dict_arg -dict=${dict})
  else()
    set(dict)
  endif()

  file(GENERATE OUTPUT ${FOTAREL_FUZZ_DIR}/targets/${F_NAME}.target CONTENT
"binary=$<TARGET_FILE:${F_NAME}>
corpus=${corpus}
dict=${dict}
seeds=${seeds}
")
  # Memory and time bounds of one input: the same in CI and in scripts/fuzz.sh.
  add_test(NAME fuzz.${F_NAME}
    COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
            -artifact_prefix=${FOTAREL_FUZZ_DIR}/ ${dict_arg} ${corpus} ${seeds})
endfunction()
