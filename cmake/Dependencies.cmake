# Third-party libraries, all from Debian's packages. Each becomes an imported
# target named zel::<name> so the rest of the build does not care where it
# came from (the system on Linux, the MinGW prefix on Windows).

find_package(PkgConfig REQUIRED)

if(NOT TARGET zel::nlohmann_json)
  find_package(nlohmann_json 3 QUIET)
  add_library(zel::nlohmann_json INTERFACE IMPORTED)
  if(nlohmann_json_FOUND)
    target_link_libraries(zel::nlohmann_json INTERFACE nlohmann_json::nlohmann_json)
  else()
    # Header-only: the cross build uses the host system's copy.
    find_path(ZEL_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    target_include_directories(zel::nlohmann_json INTERFACE ${ZEL_NLOHMANN_INCLUDE})
  endif()
endif()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/DependenciesWindows.cmake)
else()
  pkg_check_modules(ZEL_LIBZIP REQUIRED IMPORTED_TARGET libzip)
  pkg_check_modules(ZEL_ZLIB REQUIRED IMPORTED_TARGET zlib)
  add_library(zel::libzip ALIAS PkgConfig::ZEL_LIBZIP)
  add_library(zel::zlib ALIAS PkgConfig::ZEL_ZLIB)
  # The user's registry on Linux.
  pkg_check_modules(ZEL_SQLITE REQUIRED IMPORTED_TARGET sqlite3)
  add_library(zel::sqlite3 ALIAS PkgConfig::ZEL_SQLITE)
  # GIO: GDBus (logind, the file manager), spawning, default handlers.
  pkg_check_modules(ZEL_GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)
  add_library(zel::gio ALIAS PkgConfig::ZEL_GIO)
  if(NOT ZEL_CORE_ONLY)
    pkg_check_modules(ZEL_GTK REQUIRED IMPORTED_TARGET gtk+-3.0)
    pkg_check_modules(ZEL_WEBKIT REQUIRED IMPORTED_TARGET webkit2gtk-4.1 webkit2gtk-web-extension-4.1)
    add_library(zel::gtk ALIAS PkgConfig::ZEL_GTK)
    add_library(zel::webkit ALIAS PkgConfig::ZEL_WEBKIT)
    pkg_check_modules(ZEL_X11 REQUIRED IMPORTED_TARGET x11)
    add_library(zel::x11 ALIAS PkgConfig::ZEL_X11)
    pkg_check_modules(ZEL_LIBNOTIFY REQUIRED IMPORTED_TARGET libnotify)
    add_library(zel::libnotify ALIAS PkgConfig::ZEL_LIBNOTIFY)
    # The tray menu of a StatusNotifierItem, exported over D-Bus.
    pkg_check_modules(ZEL_DBUSMENU REQUIRED IMPORTED_TARGET dbusmenu-glib-0.4 dbusmenu-gtk3-0.4)
    add_library(zel::dbusmenu ALIAS PkgConfig::ZEL_DBUSMENU)
  endif()
endif()
