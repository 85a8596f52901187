# Windows-side benchmarks: GDI programs run under Wine by scripts/bench. They are timed by
# hand, not registered with CTest.
add_executable(win_bench_progress_list ${CMAKE_SOURCE_DIR}/tests/controls/win/bench/progress_list_bench.cpp)
target_link_libraries(win_bench_progress_list PRIVATE mb_win)
mb_set_warnings(win_bench_progress_list)
