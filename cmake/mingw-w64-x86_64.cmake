# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX thread
# model, so std::thread and std::mutex work): g++-mingw-w64-x86-64-posix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables and DLLs: no libgcc, libstdc++ or winpthread DLLs
# to ship or to find at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The host finds its appended archive at the end of the last section's raw
# data. A COFF symbol table (and its string table) would sit after that and
# read as an appended archive, so release executables carry none. Builds with
# debug information keep it and cannot be packaged.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")

# Lets ctest and gtest_discover_tests run the test programs when Wine is there.
find_program(ZEL_WINE_PROGRAM NAMES wine64 wine)
if(ZEL_WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEL_WINE_PROGRAM})
endif()
