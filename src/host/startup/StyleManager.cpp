#include "host/startup/StyleManager.h"

#include "core/Text.h"
#include "core/Themes.h"
#include "ports/UI.h"

namespace zel {

bool TStyleManager::TrySetStyle(const std::string& ThemeName, bool ShowErrorDialog) {
  for (const std::string_view name : kThemeNames) {
    if (!SameTextAscii(name, ThemeName)) continue;
    FActive = name;
    return true;
  }
  if (ShowErrorDialog)
    UI().MessageDialog(
        {"Error", "Style '" + ThemeName + "' not found", TMsgDlgType::mtError, {{"OK", mrOk}}});
  return false;
}

std::string TStyleManager::ActiveStyleName() {
  return FActive;
}

}  // namespace zel
