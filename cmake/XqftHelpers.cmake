# Shared helpers for the subsystem folders.

# xqft_library(NAME [QT] [REGISTRATION file] DEPS lib...): a static library of every .cpp/.c below
# the calling folder. A REGISTRATION file is left out of the library and compiled into every
# program that links it (directly or through other libraries), so the static objects it makes
# run although nothing names them.
function(xqft_library name)
  cmake_parse_arguments(A "QT" "REGISTRATION" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(A_REGISTRATION)
    set(registration ${CMAKE_CURRENT_SOURCE_DIR}/${A_REGISTRATION})
    list(REMOVE_ITEM srcs ${registration})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
  if(A_REGISTRATION)
    target_sources(${name} INTERFACE ${registration})
  endif()
endfunction()

# All hostile-input tests; `make test` builds this target in the sanitizer tree.
if(NOT TARGET hostile_tests)
  add_custom_target(hostile_tests)
endif()

# All tests of threaded code; `make test` builds this target in the ThreadSanitizer tree and runs
# their cases whose names hold "Thread".
if(NOT TARGET threaded_tests)
  add_custom_target(threaded_tests)
endif()

# xqft_test(NAME LABEL label [HOSTILE] [THREADED] [QT] [WINDOW] SOURCES ... LIBS ... [ENV ...] [TIMEOUT s]
#           [COST s]):
# one GoogleTest executable registered as one CTest test. WINDOW: the program builds the viewer's
# window, which sends the standard streams to output.log in the working directory: it runs in a
# working directory of its own, and GoogleTest's report still goes to the console. COST: about the
# seconds the test takes (the longer of the normal and the sanitizer run), so that a parallel run in a
# fresh tree starts the slow tests first rather than last (later runs order by the times ctest kept).
function(xqft_test name)
  cmake_parse_arguments(A "HOSTILE;THREADED;QT;WINDOW" "LABEL;TIMEOUT;COST" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} xqft_test_paths GTest::gtest GTest::gtest_main GTest::gmock
                        Threads::Threads)
  # The code under test is built optimised in its libraries; the test programs' own code is built
  # for debugging, which halves their compile time (most of the build) without slowing the runs.
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(${name} PRIVATE -Og)
  endif()
  if(A_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  endif()
  if(A_WINDOW)
    xqft_window_test_setup(${name} ${name})
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set(labels ${A_LABEL})
  if(A_HOSTILE)
    list(APPEND labels hostile)
    add_dependencies(hostile_tests ${name})
  endif()
  if(A_THREADED)
    list(APPEND labels threads)
    add_dependencies(threaded_tests ${name})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}")
  if(A_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  else()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
  if(A_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${A_ENV}")
  endif()
  if(A_COST)
    set_tests_properties(${name} PROPERTIES COST ${A_COST})
  endif()
endfunction()

# xqft_window_test_setup(TEST TARGET [COMMAND ...]): registers TEST (by default running TARGET)
# in a working directory of its own (build/tests/.../TEST.run), and links TARGET with the console
# report, for test programs that build the viewer's window.
function(xqft_window_test_setup test target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${test}.run)
  file(MAKE_DIRECTORY ${dir})
  target_link_libraries(${target} PRIVATE xqft_test_console)
  if(ARGN)
    add_test(NAME ${test} COMMAND ${ARGN} WORKING_DIRECTORY ${dir})
  else()
    add_test(NAME ${test} COMMAND ${target} WORKING_DIRECTORY ${dir})
  endif()
endfunction()

# xqft_bench(NAME SOURCES ... LIBS ...): a Google Benchmark program, built by `make bench` only.
function(xqft_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark QUIET)
  add_executable(${name} EXCLUDE_FROM_ALL ${A_SOURCES})
  if(benchmark_FOUND)
    target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark Threads::Threads)
  else()
    target_link_libraries(${name} PRIVATE ${A_LIBS} Threads::Threads)
  endif()
  target_compile_definitions(${name} PRIVATE XQFT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(NOT TARGET benchmarks)
    add_custom_target(benchmarks)
  endif()
  add_dependencies(benchmarks ${name})
endfunction()

# XQFT_WITH_XVFB: the command prefix that runs a test program under an X server of its own, with
# Qt on it (scripts/with-xvfb.sh: a free display chosen by the server, no reset when the last
# client leaves); empty where Xvfb is not installed. Tests that need it are left out then.
find_program(XVFB_PROGRAM Xvfb)
if(XVFB_PROGRAM)
  set(XQFT_WITH_XVFB sh ${CMAKE_SOURCE_DIR}/scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb)
else()
  set(XQFT_WITH_XVFB "")
endif()
