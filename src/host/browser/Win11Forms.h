// The rounded-corner preference of the host's top-level forms (the window
// manager's corner preference on Windows 11; nothing on other systems).
#pragma once

namespace zel {

enum class TRoundedCornerType { rcDefault, rcOff, rcOn, rcSmall };

// The module default that forms with rcDefault follow; rcOn at start.
extern TRoundedCornerType DefaultRoundedCorners;

// The value handed to the window manager (DWMWA_WINDOW_CORNER_PREFERENCE):
// 1 do not round, 2 round, 3 round small, 0 the system's default.
int CornerPreferenceValue(TRoundedCornerType Preference);

}  // namespace zel
