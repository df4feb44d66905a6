option(PELAGOR_SANITIZE_ADDRESS "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PELAGOR_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
option(PELAGOR_FUZZ "Build the fuzz targets with libFuzzer (clang only)" OFF)
set(PELAGOR_FUZZ_SECONDS 60 CACHE STRING "How long each libFuzzer target runs under CTest")

if(PELAGOR_SANITIZE_ADDRESS AND PELAGOR_SANITIZE_THREAD)
  message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot be combined")
endif()

add_compile_options(-Wall -Wextra)

set(PELAGOR_SANITIZER_FLAGS "")
if(PELAGOR_SANITIZE_ADDRESS OR PELAGOR_FUZZ)
  list(APPEND PELAGOR_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(PELAGOR_SANITIZE_THREAD)
  list(APPEND PELAGOR_SANITIZER_FLAGS -fsanitize=thread)
endif()
if(PELAGOR_SANITIZER_FLAGS)
  add_compile_options(${PELAGOR_SANITIZER_FLAGS} -fno-omit-frame-pointer)
  add_link_options(${PELAGOR_SANITIZER_FLAGS})
endif()

if(PELAGOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PELAGOR_FUZZ needs clang (configure with CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# A plug-in: a shared library named <name>.so that exports exactly the names of its version script.
function(pelagor_add_plugin name)
  cmake_parse_arguments(ARG "" "EXPORTS;OUTPUT_DIR" "SOURCES;LIBRARIES" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIR}
    LINK_DEPENDS ${ARG_EXPORTS})
  target_link_options(${name} PRIVATE "-Wl,--version-script=${ARG_EXPORTS}")
endfunction()
