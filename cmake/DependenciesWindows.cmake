# Third-party libraries of the Windows cross build.
#  - zlib: Debian's libz-mingw-w64-dev, linked statically.
#  - libzip: Debian's source package built for MinGW by
#    tools/ci/build-mingw-deps.sh into ZEL_MINGW_PREFIX.
#  - GoogleTest: built here from Debian's /usr/src/googletest.

set(ZEL_MINGW_PREFIX "${PROJECT_SOURCE_DIR}/build/deps/mingw"
    CACHE PATH "Prefix of the libraries built by tools/ci/build-mingw-deps.sh")

if(NOT TARGET zel::zlib)
  find_path(ZEL_ZLIB_INCLUDE zlib.h REQUIRED)
  # Prefer the archive over the import library: one self-contained executable.
  find_library(ZEL_ZLIB_LIBRARY NAMES libz.a z REQUIRED)
  add_library(zel::zlib STATIC IMPORTED)
  set_target_properties(zel::zlib PROPERTIES
    IMPORTED_LOCATION "${ZEL_ZLIB_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${ZEL_ZLIB_INCLUDE}")
endif()

if(NOT TARGET zel::libzip)
  find_path(ZEL_LIBZIP_INCLUDE zip.h PATHS "${ZEL_MINGW_PREFIX}/include" NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  find_library(ZEL_LIBZIP_LIBRARY NAMES libzip.a PATHS "${ZEL_MINGW_PREFIX}/lib" NO_DEFAULT_PATH
               NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ZEL_LIBZIP_INCLUDE OR NOT ZEL_LIBZIP_LIBRARY)
    message(FATAL_ERROR "libzip for MinGW not found in ${ZEL_MINGW_PREFIX}; "
                        "run tools/ci/build-mingw-deps.sh first")
  endif()
  add_library(zel::libzip STATIC IMPORTED)
  set_target_properties(zel::libzip PROPERTIES
    IMPORTED_LOCATION "${ZEL_LIBZIP_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${ZEL_LIBZIP_INCLUDE}"
    # Without it zip.h declares every function as a DLL import.
    INTERFACE_COMPILE_DEFINITIONS ZIP_STATIC
    # libzip's AES and random numbers use the Windows crypto API.
    INTERFACE_LINK_LIBRARIES "zel::zlib;bcrypt;advapi32")
endif()

if(ZEL_TESTS AND NOT TARGET GTest::gtest_main)
  set(ZEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # The tests ask for find_package(GTest); a config file in the build tree
  # answers it with the targets just made, also under a cross-compiling root.
  set(ZEL_GTEST_CONFIG_DIR ${CMAKE_BINARY_DIR}/googletest-config)
  file(WRITE ${ZEL_GTEST_CONFIG_DIR}/GTestConfig.cmake
       "# GoogleTest is part of this build (cmake/DependenciesWindows.cmake).\n")
  set(GTest_DIR ${ZEL_GTEST_CONFIG_DIR} CACHE PATH "" FORCE)
endif()

# nlohmann-json is the build machine's copy, but its folder must not become an
# include directory: /usr/include would put glibc's headers in front of
# MinGW's. A folder of our own holds just a link to nlohmann/.
if(TARGET zel::nlohmann_json)
  find_path(ZEL_NLOHMANN_HOST_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(ZEL_NLOHMANN_CROSS_INCLUDE ${CMAKE_BINARY_DIR}/nlohmann-include)
  file(MAKE_DIRECTORY ${ZEL_NLOHMANN_CROSS_INCLUDE})
  file(CREATE_LINK ${ZEL_NLOHMANN_HOST_INCLUDE}/nlohmann ${ZEL_NLOHMANN_CROSS_INCLUDE}/nlohmann
       SYMBOLIC)
  set_target_properties(zel::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${ZEL_NLOHMANN_CROSS_INCLUDE})
endif()
