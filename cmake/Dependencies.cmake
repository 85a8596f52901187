# Third-party code: nlohmann json (header-only), zlib, GoogleTest built from the Debian sources.

# The mingw build must never see the host's /usr/include, so the json headers are copied
# into an include directory of their own that holds nothing but nlohmann/.
set(MB_JSON_SOURCE_DIR /usr/include/nlohmann)
if(NOT EXISTS ${MB_JSON_SOURCE_DIR}/json.hpp)
  message(FATAL_ERROR "nlohmann json headers not found; run scripts/setup")
endif()
set(MB_JSON_INCLUDE_DIR ${CMAKE_BINARY_DIR}/deps/json/include)
file(COPY ${MB_JSON_SOURCE_DIR} DESTINATION ${MB_JSON_INCLUDE_DIR})
add_library(mb_json INTERFACE)
target_include_directories(mb_json SYSTEM INTERFACE ${MB_JSON_INCLUDE_DIR})

# zlib as target mb_zlib. Windows has no zlib1.dll, so every Windows program links the
# static archive libz.a of libz-mingw-w64-dev: find_package(ZLIB) would pick the import
# library libz.dll.a, and -static does not turn an import library into code.
if(WIN32)
  find_library(MB_ZLIB_STATIC NAMES libz.a REQUIRED NO_CACHE)
  find_path(MB_ZLIB_INCLUDE zlib.h REQUIRED NO_CACHE)
  add_library(mb_zlib STATIC IMPORTED)
  set_target_properties(mb_zlib PROPERTIES IMPORTED_LOCATION ${MB_ZLIB_STATIC}
                        INTERFACE_INCLUDE_DIRECTORIES ${MB_ZLIB_INCLUDE})
else()
  find_package(ZLIB REQUIRED)
  add_library(mb_zlib INTERFACE)
  target_link_libraries(mb_zlib INTERFACE ZLIB::ZLIB)
endif()

if(MB_BUILD_TESTS)
  set(MB_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${MB_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/deps/googletest EXCLUDE_FROM_ALL)
endif()
