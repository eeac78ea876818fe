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
