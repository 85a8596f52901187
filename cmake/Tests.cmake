# Test programs: tests/<subsystem>/*_test.cpp is platform-free and runs in both builds;
# tests/<subsystem>/win/*_test.cpp runs only in the Windows build (under Wine).
# Every program writes a GoogleTest XML report into build/<preset>/results for the totals.
set(MB_RESULTS_DIR ${CMAKE_BINARY_DIR}/results)
file(MAKE_DIRECTORY ${MB_RESULTS_DIR})
# The Wine prefix at 144 DPI, where scripts/lib.sh names it (MB_WINEPREFIX_144DPI).
set(MB_WINEPREFIX_144DPI ${CMAKE_SOURCE_DIR}/build/wineprefix-144dpi CACHE PATH "Wine prefix with LogPixels 144")
# The test whose HighDpi start declares per-monitor awareness for the whole process (the
# process-wide call is what Wine takes): it must not share its process with the others.
set(MB_PROCESS_AWARE_TEST "AppDpi.WithHighDpiTheDefaultWindowGrowsWithTheDpiAndItsTextsStayWhole")

function(mb_add_tests)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
  if(WIN32)
    file(GLOB win_support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/win/*.cpp)
    list(APPEND support ${win_support})
  endif()
  add_library(mb_test_support STATIC ${support} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(mb_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(mb_test_support PUBLIC mb_common GTest::gtest GTest::gmock)
  if(WIN32)
    target_link_libraries(mb_test_support PUBLIC mb_win)
  endif()
  target_compile_definitions(mb_test_support PUBLIC MB_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  mb_set_warnings(mb_test_support)

  foreach(sub ${MB_SUBSYSTEMS})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${sub}/*_test.cpp)
    if(WIN32)
      file(GLOB win_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${sub}/win/*_test.cpp)
      list(APPEND tests ${win_tests})
      set(name win_tests_${sub})
    else()
      set(name native_tests_${sub})
    endif()
    if(NOT tests)
      continue()
    endif()
    add_executable(${name} ${tests})
    target_link_libraries(${name} PRIVATE mb_test_support GTest::gtest_main)
    mb_set_warnings(${name})
    # A relative report path works both natively and through Wine (which maps the cwd to Z:).
    # A test that declares per-monitor awareness for its process runs in a process of its own.
    set(filter)
    if(name STREQUAL "win_tests_app")
      set(filter --gtest_filter=-${MB_PROCESS_AWARE_TEST})
    endif()
    add_test(NAME ${name} COMMAND ${name} ${filter} --gtest_output=xml:results/${name}.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  endforeach()
  if(WIN32 AND TARGET win_tests_app)
    add_test(NAME win_tests_app_aware
             COMMAND win_tests_app --gtest_filter=${MB_PROCESS_AWARE_TEST}
                     --gtest_output=xml:results/win_tests_app_aware.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(win_tests_app_aware PROPERTIES TIMEOUT 900)
  endif()

  # What the overlay does on a 144 DPI screen: the AppDpi tests of the app subsystem once more, in
  # a Wine prefix of their own whose LogPixels is 144 (scripts/setup makes it; Wine reads the
  # value only when a prefix's wineserver starts, so one prefix cannot serve both), with HighDpi=1:
  # Windows shows an unaware program there at 96 DPI, stretched, a state Wine cannot produce.
  if(WIN32 AND TARGET win_tests_app)
    add_test(NAME win_tests_app_144dpi
             COMMAND win_tests_app --gtest_filter=AppDpi.* --gtest_output=xml:results/win_tests_app_144dpi.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(win_tests_app_144dpi PROPERTIES TIMEOUT 900
                         ENVIRONMENT "MB_WINEPREFIX=${MB_WINEPREFIX_144DPI};MB_TEST_HIGH_DPI=1;MB_EXPECTED_DPI=144")
  endif()
endfunction()
