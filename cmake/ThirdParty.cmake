# Libraries that come from Debian's packages, never vendored.

# nlohmann/json is header-only and lives in /usr/include, which must not be added to a mingw
# build (glibc's headers would shadow mingw's). Give it an include folder of its own.
find_path(QUORVANE_NLOHMANN_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(NOT QUORVANE_NLOHMANN_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/install-deps)")
endif()
set(nlohmann_include ${CMAKE_BINARY_DIR}/third-party/nlohmann-include)
file(MAKE_DIRECTORY ${nlohmann_include})
file(CREATE_LINK ${QUORVANE_NLOHMANN_DIR}/nlohmann ${nlohmann_include}/nlohmann SYMBOLIC)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${nlohmann_include})

# GoogleTest is built from the sources that Debian's googletest package installs.
if(BUILD_TESTING)
  set(QUORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${QUORVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found at ${QUORVANE_GOOGLETEST_SOURCE}: install googletest")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${QUORVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/third-party/googletest EXCLUDE_FROM_ALL)
endif()
