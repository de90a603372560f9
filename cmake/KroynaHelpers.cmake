# kroyna_library(NAME DIR [QT] [DEPS ...]): one static library from every
# .cpp in a source folder, so that adding a file needs no CMake edit.
function(kroyna_library name dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  list(FILTER sources EXCLUDE REGEX "_fuzz\\.cpp$")
  if(NOT sources)
    set(sources "${CMAKE_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
  if(ARG_QT)
    target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Network)
  endif()
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# kroyna_test_dir(NAME DIR [QT] [DEPS ...]): one GoogleTest program from
# every .cpp in a test folder, registered with CTest. QT runs the tests
# inside a QApplication (widgets, offscreen platform).
function(kroyna_test_dir name dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(NOT sources)
    return()
  endif()
  if(ARG_QT)
    list(APPEND sources "${CMAKE_SOURCE_DIR}/tests/common/QtTestMain.cpp")
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/src" "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_DEPS})
  target_compile_definitions(${name} PRIVATE
    KROYNA_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    KROYNA_SOURCE_DATA_DIR="${CMAKE_SOURCE_DIR}/data"
    KROYNA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# kroyna_fuzz(NAME SOURCE DEPS...): a libFuzzer target (configure with
# CMAKE_CXX_COMPILER=clang++ and -DKROYNA_FUZZ=ON).
function(kroyna_fuzz name source)
  add_executable(${name} ${source})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/src")
  target_link_libraries(${name} PRIVATE ${ARGN})
endfunction()

# kroyna_no_widgets(TARGET): the target's own sources may not include Qt
# Widgets or Qt Print Support headers. A header of those modules reaches
# cmake/no-widgets first and stops the build with a message naming the
# rule; the target does not link them either.
function(kroyna_no_widgets target)
  target_include_directories(${target} BEFORE PRIVATE "${CMAKE_SOURCE_DIR}/cmake/no-widgets")
endfunction()
