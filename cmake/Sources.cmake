# Source layout: src/<floor>/*.cpp is platform-free and built for both targets; src/<floor>/win/*.cpp
# needs Windows headers. Each floor is a static library of its own (mb_<floor>, and mb_<floor>_win
# in the Windows build), linking only the floor below it, with an include directory that holds
# that floor alone: an include that points up a floor finds no file and fails the build.
set(MB_SUBSYSTEMS core server clock controls desktop app)
# The floors from the ground up; each may include its own headers and those of the floors below.
set(MB_FLOORS core clock server controls desktop app)

# Resources compiled into the executable (manifest, icon and version resource), wherever its
# entry file lives. The .rc names the files it embeds, so a change in them rebuilds it; windres
# writes no dependency file, so they are listed here. resources/ is an include directory of the
# executable and of mb_win, so the resource ids of resource_ids.h reach the .rc and the C++ alike.
set(MB_APP_RESOURCES ${CMAKE_SOURCE_DIR}/resources/Marrowbell.rc)
set(MB_RESOURCE_DIR ${CMAKE_SOURCE_DIR}/resources)
set(MB_VERSION_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)
set(MB_APP_ICON ${MB_VERSION_HEADER_DIR}/Marrowbell.ico)
set(MB_APP_RESOURCE_FILES ${MB_RESOURCE_DIR}/Marrowbell.manifest ${MB_RESOURCE_DIR}/resource_ids.h
    ${MB_VERSION_HEADER_DIR}/version.h ${MB_APP_ICON})
# The icon's images, in pixels, and its colour: the blue of the tray's and the window's own dot.
set(MB_APP_ICON_SIZES 16 24 32 48 256)
set(MB_APP_ICON_COLOUR 100 150 255)

# A folder that holds one floor's sources (through a link) and nothing else, for its include path.
function(mb_floor_include_dir floor out)
  set(dir ${CMAKE_BINARY_DIR}/floors/${floor})
  file(MAKE_DIRECTORY ${dir})
  if(NOT EXISTS ${dir}/${floor})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${floor} ${dir}/${floor} SYMBOLIC)
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

function(mb_add_libraries)
  # The version numbers and texts come from project(VERSION) and nowhere else.
  set(MB_VERSION_TWEAK ${PROJECT_VERSION_TWEAK})
  if(NOT MB_VERSION_TWEAK)
    set(MB_VERSION_TWEAK 0)
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.h.in ${MB_VERSION_HEADER_DIR}/version.h @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/build_defaults.h.in ${MB_VERSION_HEADER_DIR}/build_defaults.h @ONLY)

  set(below)
  set(below_win)
  set(libraries)
  foreach(floor ${MB_FLOORS})
    mb_floor_include_dir(${floor} include)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${floor}/*.cpp)
    add_library(mb_${floor} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_include_directories(mb_${floor} PUBLIC ${include})
    target_link_libraries(mb_${floor} PUBLIC ${below})
    mb_set_warnings(mb_${floor})
    list(APPEND libraries mb_${floor})
    set(below mb_${floor})
    if(WIN32)
      file(GLOB win_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${floor}/win/*.cpp)
      list(FILTER win_sources EXCLUDE REGEX "/winmain\\.cpp$")
      add_library(mb_${floor}_win STATIC ${win_sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
      target_link_libraries(mb_${floor}_win PUBLIC mb_${floor} ${below_win})
      mb_set_warnings(mb_${floor}_win)
      list(APPEND libraries mb_${floor}_win)
      set(below_win mb_${floor}_win)
    endif()
  endforeach()
  set(MB_FLOOR_LIBRARIES ${libraries} PARENT_SCOPE)

  # What floors take from outside: the generated version and build headers from the ground up,
  # JSON and zlib in the server floor, the system's libraries under every Windows floor, and the
  # resource ids in the top one.
  target_include_directories(mb_core PUBLIC ${MB_VERSION_HEADER_DIR})
  target_link_libraries(mb_server PUBLIC mb_json mb_zlib)
  if(WIN32)
    target_link_libraries(mb_core_win PUBLIC winhttp ws2_32 gdi32 user32 shell32 shlwapi comctl32 ole32)
    target_include_directories(mb_app_win PUBLIC ${MB_RESOURCE_DIR})
  endif()

  # Everything platform-free, and everything: for the tests, the fuzz targets and the programs.
  add_library(mb_common INTERFACE)
  target_link_libraries(mb_common INTERFACE mb_app)
  if(WIN32)
    add_library(mb_win INTERFACE)
    target_link_libraries(mb_win INTERFACE mb_app_win)
  endif()
endfunction()

# The icon file is drawn at build time by tools/make_icon.cpp from the pixels of the program's own
# dots (src/desktop/dot_icon.h). It must run on the build machine, and this build's compiler
# makes Windows programs, so the host's C++ compiler builds it directly, outside the cross
# toolchain's targets; the dependency file it writes rebuilds it when the pixel function changes.
function(mb_add_app_icon)
  find_program(MB_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(tool ${CMAKE_BINARY_DIR}/host/make_icon)
  add_custom_command(OUTPUT ${tool}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${MB_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/src
            -MD -MF ${tool}.d -MT ${tool} -o ${tool} ${CMAKE_SOURCE_DIR}/tools/make_icon.cpp
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.cpp
    DEPFILE ${tool}.d
    COMMENT "Building the host tool make_icon"
    VERBATIM)
  add_custom_command(OUTPUT ${MB_APP_ICON}
    COMMAND ${tool} ${MB_APP_ICON} ${MB_APP_ICON_COLOUR} ${MB_APP_ICON_SIZES}
    DEPENDS ${tool}
    COMMENT "Drawing Marrowbell.ico"
    VERBATIM)
endfunction()

function(mb_add_executable)
  set(entry ${CMAKE_SOURCE_DIR}/src/app/win/winmain.cpp)
  if(NOT EXISTS ${entry})
    return()
  endif()
  mb_add_app_icon()
  # The icon file among the sources ties its custom command to the executable; it is no language's
  # source, so nothing compiles it but the .rc that embeds it.
  add_executable(Marrowbell WIN32 ${entry} ${MB_APP_RESOURCES} ${MB_APP_ICON})
  set_source_files_properties(${MB_APP_RESOURCES} PROPERTIES OBJECT_DEPENDS "${MB_APP_RESOURCE_FILES}")
  target_include_directories(Marrowbell PRIVATE ${MB_VERSION_HEADER_DIR} ${MB_RESOURCE_DIR})
  target_link_libraries(Marrowbell PRIVATE mb_win)
  # The same sources give the same file: no link time in the PE header (its checksum then
  # stays put too), and the Release file carries no symbols or debug information, which
  # would hold the build's paths.
  target_link_options(Marrowbell PRIVATE -mwindows -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
  mb_set_warnings(Marrowbell)
endfunction()
