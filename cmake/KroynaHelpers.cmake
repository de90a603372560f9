# kroyna_library(NAME DIR... [NO_WIDGETS] [DEPS ...]): one static library
# from every .cpp and .h in the given source folders (not their
# subfolders), so that a file's folder decides its library and adding a
# file needs no CMake edit. NO_WIDGETS stops the build when one of its files
# includes a Qt Widgets or Print Support header.
function(kroyna_library name)
  cmake_parse_arguments(ARG "NO_WIDGETS" "" "DEPS" ${ARGN})
  set(sources "")
  foreach(dir ${ARG_UNPARSED_ARGUMENTS})
    if(NOT IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
      message(FATAL_ERROR "kroyna_library(${name}): no folder ${dir}")
    endif()
    file(GLOB s CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h")
    list(APPEND sources ${s})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "_fuzz\\.cpp$")
  if(NOT sources)
    set(sources "${CMAKE_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_NO_WIDGETS)
    kroyna_no_widgets(${name})
  endif()
endfunction()

# kroyna_test_program(NAME DIR... [QT] [COST N] [DEPS ...]): one GoogleTest
# program from every .cpp in the given test folders, registered with CTest
# test by test. QT runs the tests inside a QApplication (widgets, offscreen
# platform). Few, large test programs link much faster than one a folder,
# above all with AddressSanitizer. COST makes CTest start the program's
# tests before cheaper ones (it runs tests in descending cost), so that
# the long ones do not end a parallel run on one busy core.
function(kroyna_test_program name)
  cmake_parse_arguments(ARG "QT" "COST" "DEPS" ${ARGN})
  if(NOT ARG_COST)
    set(ARG_COST 0)
  endif()
  set(sources "")
  foreach(dir ${ARG_UNPARSED_ARGUMENTS})
    file(GLOB s CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND sources ${s})
  endforeach()
  if(NOT sources)
    return()
  endif()
  if(ARG_QT)
    list(APPEND sources "${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp")
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/src" "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE GTest::gtest ${ARG_DEPS})
  if(NOT ARG_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    KROYNA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    KROYNA_SOURCE_DATA_DIR="${CMAKE_SOURCE_DIR}/data"
    KROYNA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" COST ${ARG_COST}
    DISCOVERY_TIMEOUT 60)
endfunction()

# kroyna_fuzz(NAME SOURCES file... [DEPS target...] SEEDS path...): a
# libFuzzer target (configure with CMAKE_CXX_COMPILER=clang++ and
# -DKROYNA_FUZZ=ON). Every target starts from its corpus folder
# tests/data/fuzz/NAME (inputs that once failed, kept as regressions, and
# what longer runs found) and from its SEEDS: files and folders of real
# inputs, relative to the source root. The list of targets with their
# programs and seeds is written to fuzz-targets.txt in the build folder,
# one target a line, fields separated by tabs; scripts/fuzz-smoke.sh and
# scripts/fuzz-long.sh read it and build the target `fuzz_targets`.
function(kroyna_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;SEEDS" ${ARGN})
  if(NOT ARG_SOURCES OR NOT ARG_SEEDS)
    message(FATAL_ERROR "kroyna_fuzz(${name}): SOURCES and SEEDS are required")
  endif()
  set(corpus "${CMAKE_SOURCE_DIR}/tests/data/fuzz/${name}")
  set(line "${name}\t$<TARGET_FILE:${name}>\t${corpus}")
  foreach(seed ${ARG_SEEDS})
    if(NOT EXISTS "${CMAKE_SOURCE_DIR}/${seed}")
      message(FATAL_ERROR "kroyna_fuzz(${name}): no seed ${seed}")
    endif()
    string(APPEND line "\t${CMAKE_SOURCE_DIR}/${seed}")
  endforeach()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/src")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(NOT TARGET fuzz_targets)
    add_custom_target(fuzz_targets)
  endif()
  add_dependencies(fuzz_targets ${name})
  set_property(GLOBAL APPEND PROPERTY KROYNA_FUZZ_LINES "${line}")
endfunction()

# Writes fuzz-targets.txt (see kroyna_fuzz); called once, after every
# folder has declared its targets.
function(kroyna_write_fuzz_list)
  get_property(lines GLOBAL PROPERTY KROYNA_FUZZ_LINES)
  list(JOIN lines "\n" content)
  file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/fuzz-targets.txt" CONTENT "${content}\n")
endfunction()

# kroyna_no_widgets(TARGET): the target's own sources may not include Qt
# Widgets or Qt Print Support headers. A header of those modules reaches
# cmake/no-widgets first and stops the build with a message naming the
# rule; the target does not link them either.
function(kroyna_no_widgets target)
  target_include_directories(${target} BEFORE PRIVATE "${CMAKE_SOURCE_DIR}/cmake/no-widgets")
endfunction()

# kroyna_precompile(TARGET HEADER...): precompiles the given system headers
# (<QString>, <gtest/gtest.h>...) for every source of the target, when
# KROYNA_PCH is on. Only headers every build of the target may include: a
# target without widgets gets no widget header here.
function(kroyna_precompile target)
  if(KROYNA_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
