# Source layout: src/<subsystem>/*.cpp is platform-free and built for both targets
# (library mb_common); src/<subsystem>/win/*.cpp needs Windows headers (library mb_win).
set(MB_SUBSYSTEMS core server clock controls desktop app)

# Resources compiled into the executable (manifest and version resource), wherever its entry
# file lives. The .rc names the files it embeds, so a change in them rebuilds it; windres writes
# no dependency file, so they are listed here.
set(MB_APP_RESOURCES ${CMAKE_SOURCE_DIR}/resources/Marrowbell.rc)
set(MB_VERSION_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)
set(MB_APP_RESOURCE_FILES ${CMAKE_SOURCE_DIR}/resources/Marrowbell.manifest ${MB_VERSION_HEADER_DIR}/version.h)

function(mb_collect out pattern)
  set(files)
  foreach(sub ${MB_SUBSYSTEMS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${sub}/${pattern})
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

function(mb_add_libraries)
  # The version numbers and texts come from project(VERSION) and nowhere else.
  set(MB_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
  if(NOT MB_VERSION_TWEAK)
    set(MB_VERSION_TWEAK 0)
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${MB_VERSION_HEADER_DIR}/version.h @ONLY)

  mb_collect(common_sources "*.cpp")
  add_library(mb_common STATIC ${common_sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(mb_common PUBLIC ${CMAKE_SOURCE_DIR}/src ${MB_VERSION_HEADER_DIR})
  target_link_libraries(mb_common PUBLIC mb_json mb_zlib)
  mb_set_warnings(mb_common)

  if(WIN32)
    mb_collect(win_sources "win/*.cpp")
    list(FILTER win_sources EXCLUDE REGEX "/winmain\\.cpp$")
    add_library(mb_win STATIC ${win_sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_link_libraries(mb_win PUBLIC mb_common
      winhttp ws2_32 gdi32 user32 shell32 shlwapi comctl32 ole32 msimg32)
    mb_set_warnings(mb_win)
  endif()
endfunction()

function(mb_add_executable)
  set(entry ${CMAKE_SOURCE_DIR}/src/app/win/winmain.cpp)
  if(NOT EXISTS ${entry})
    return()
  endif()
  add_executable(Marrowbell WIN32 ${entry} ${MB_APP_RESOURCES})
  set_source_files_properties(${MB_APP_RESOURCES} PROPERTIES OBJECT_DEPENDS "${MB_APP_RESOURCE_FILES}")
  target_include_directories(Marrowbell PRIVATE ${MB_VERSION_HEADER_DIR})
  target_link_libraries(Marrowbell PRIVATE mb_win)
  # The same sources give the same file: no link time in the PE header (its checksum then
  # stays put too), and the Release file carries no symbols or debug information, which
  # would hold the build's paths.
  target_link_options(Marrowbell PRIVATE -mwindows -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
  mb_set_warnings(Marrowbell)
endfunction()
