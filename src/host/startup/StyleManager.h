// TStyleManager: the process-wide active theme of the host's own windows.
#pragma once

#include <string>
#include <vector>

namespace zel {

class TStyleManager {
 public:
  TStyleManager() = delete;

  // Activates the catalogue theme whose name equals ThemeName ignoring
  // letter case. When there is none the active theme stays and, if
  // ShowErrorDialog, the error "Style '<name>' not found" is shown.
  static bool TrySetStyle(const std::string& ThemeName, bool ShowErrorDialog);
  static std::string ActiveStyleName();
  // Every theme name, ordered ignoring letter case.
  static std::vector<std::string> StyleNames();
  // Native popup menus keep the system look.
  static void RemoveMenuHook() { FMenuHooked = false; }
  static bool MenuHooked() { return FMenuHooked; }

 private:
  static inline std::string FActive = "Windows";
  static inline bool FMenuHooked = true;
};

}  // namespace zel
