# Windows-side benchmark programs, run under Wine by scripts/bench; they are timed by hand, not
# registered with CTest.
if(MB_BUILD_TESTS)
  add_executable(win_bench_progress_list ${CMAKE_SOURCE_DIR}/tests/controls/win/bench/progress_list_bench.cpp)
  target_link_libraries(win_bench_progress_list PRIVATE mb_win)
  mb_set_warnings(win_bench_progress_list)
endif()

# The floor the whole-overlay run measures the overlay against (tests/bench/floor.cpp). It is
# built in the overlay's own configuration (scripts/bench builds it with the windows-release
# preset), so both programs have the same compiler flags, static runtimes, link options and
# manifest; only on request, as no release needs it.
add_executable(overlay_floor WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/bench/floor.cpp
               ${CMAKE_SOURCE_DIR}/tests/bench/floor.rc)
target_include_directories(overlay_floor PRIVATE ${CMAKE_SOURCE_DIR}/resources)
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/bench/floor.rc PROPERTIES
                            OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/Marrowbell.manifest)
target_link_libraries(overlay_floor PRIVATE winhttp user32 gdi32 shell32)
target_link_options(overlay_floor PRIVATE -mwindows -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
mb_set_warnings(overlay_floor)
