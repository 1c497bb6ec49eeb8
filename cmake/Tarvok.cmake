# One static library per source folder; sources are picked up by glob so that
# adding a file needs no edit here. RECURSE takes the folders below it in as
# well (a folder whose files are kept in folders by stage).
set(TARVOK_WARNINGS -Wall -Wextra -Werror)

# Ninja's automoc step only reruns when a header it already knows changes, so a
# new Q_OBJECT header in an existing folder went unmoc'ed until a clean build.
# When a target's source list changes, its automoc stamp is removed, which
# makes the next build run automoc again.
function(tarvok_track_sources target)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
  string(JOIN "\n" content ${ARGN})
  set(old "")
  if(EXISTS ${list_file})
    file(READ ${list_file} old)
  endif()
  if(NOT old STREQUAL content)
    file(WRITE ${list_file} "${content}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

function(tarvok_library name)
  cmake_parse_arguments(ARG "RECURSE" "" "DEPS" ${ARGN})
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs})
  tarvok_track_sources(${name} ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TARVOK_WARNINGS} ${TARVOK_PRODUCT_SANITIZE})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# Tests of one folder: files named *_x_test.cpp need a real X server and run in
# their own executable under tests/support/xsession, once without and once with
# a compositor; all others run under Qt's offscreen platform, one ctest entry
# per test case. RECURSE takes the tests of the folders below in as well, into
# the same executables.
function(tarvok_tests folder)
  cmake_parse_arguments(ARG "RECURSE" "" "DEPS" ${ARGN})
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(${glob} xsrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_x_test.cpp)
  set(plain ${all})
  if(xsrcs)
    list(REMOVE_ITEM plain ${xsrcs})
  endif()
  set(env "OMP_THREAD_LIMIT=1;TARVOK_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(plain)
    set(exe test_${folder})
    add_executable(${exe} ${plain})
    tarvok_track_sources(${exe} ${plain})
    target_compile_options(${exe} PRIVATE ${TARVOK_WARNINGS} ${TARVOK_TEST_OPTIONS})
    target_precompile_headers(${exe} REUSE_FROM tarvok_testsupport)
    target_link_libraries(${exe} PRIVATE tarvok_testsupport ${ARG_DEPS})
    gtest_discover_tests(${exe}
      PROPERTIES LABELS ${folder} ENVIRONMENT "${env};QT_QPA_PLATFORM=offscreen"
      DISCOVERY_TIMEOUT 60
      DISCOVERY_MODE PRE_TEST)
  endif()
  if(xsrcs)
    set(exe xtest_${folder})
    add_executable(${exe} ${xsrcs})
    tarvok_track_sources(${exe} ${xsrcs})
    target_compile_options(${exe} PRIVATE ${TARVOK_WARNINGS} ${TARVOK_TEST_OPTIONS})
    target_precompile_headers(${exe} REUSE_FROM tarvok_testsupport)
    target_link_libraries(${exe} PRIVATE tarvok_testsupport ${ARG_DEPS})
    add_dependencies(${exe} xready)
    foreach(mode plain compositor)
      add_test(NAME ${folder}.x.${mode}
        COMMAND ${CMAKE_SOURCE_DIR}/tests/support/xsession --${mode} $<TARGET_FILE:${exe}>)
      set_tests_properties(${folder}.x.${mode} PROPERTIES
        LABELS "${folder};x" TIMEOUT 300
        ENVIRONMENT "${env};QT_QPA_PLATFORM=xcb;TARVOK_XREADY=$<TARGET_FILE:xready>"
        # A real X session with a window manager is timing-sensitive: count it
        # as several slots so a parallel run leaves it CPU to breathe.
        PROCESSORS 4)
    endforeach()
  endif()
endfunction()

# A folder's tests that run the built program: they are built after it and
# find it through TARVOK_EXE.
function(tarvok_tests_run_program folder)
  foreach(exe test_${folder} xtest_${folder})
    if(TARGET ${exe})
      add_dependencies(${exe} tarvok)
      target_compile_definitions(${exe} PRIVATE TARVOK_EXE="$<TARGET_FILE:tarvok>")
    endif()
  endforeach()
endfunction()
