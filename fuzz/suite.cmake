# The fuzz targets in the main build: built with clang as a build of their own (fuzz/), each run
# for a few seconds as a test. Without clang the tests are there but skipped.
include(ExternalProject)
option(K7_FUZZ "Build the libFuzzer targets (needs clang++) and run them briefly in the suite" ON)
find_program(K7_CLANGXX NAMES clang++ clang++-14)

file(GLOB k7_fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
if(K7_FUZZ AND K7_CLANGXX)
  ExternalProject_Add(k7fuzz
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${K7_CLANGXX} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
endif()
foreach(source ${k7_fuzz_sources})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" name ${name})
  if(K7_FUZZ AND K7_CLANGXX)
    add_test(NAME fuzz.${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh ${name} 5)
    # A fuzzer keeps a core busy for its whole run: alone, so the real-time tests over a
    # pseudo-terminal never share the machine with it.
    set_tests_properties(fuzz.${name} PROPERTIES
      ENVIRONMENT "K7_FUZZ_DIR=${CMAKE_BINARY_DIR}/fuzz" RUN_SERIAL TRUE)
  else()
    add_test(NAME fuzz.${name} COMMAND ${CMAKE_COMMAND} -E echo "no clang++: fuzz target skipped")
    set_tests_properties(fuzz.${name} PROPERTIES SKIP_REGULAR_EXPRESSION "fuzz target skipped")
  endif()
endforeach()
