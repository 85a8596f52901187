# libFuzzer targets: tests/fuzz/fuzz_<name>.cpp, each with its seed corpus in tests/fuzz/corpus/<name>.
# The library code under test needs the coverage instrumentation too, or libFuzzer is blind to it.
foreach(library ${MB_FLOOR_LIBRARIES})
  target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link)
endforeach()
file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(source ${fuzz_sources})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE mb_common)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  mb_set_warnings(${name})
endforeach()
