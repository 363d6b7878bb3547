// GDK key values as Windows virtual-key codes, for AcceleratorKeyPressed.
#pragma once

#include <cstdint>

namespace zel::keys {

// The virtual-key code of an unshifted key value; 0 when Windows has none.
std::uint32_t VirtualKey(unsigned keyval);

// Keys that Windows reports with the extended-key flag.
bool IsExtended(unsigned keyval);

// Whether the key types a character (Windows then sends WM_CHAR): printable
// text plus Backspace, Tab, Enter and Escape.
bool TypesCharacter(unsigned keyval);

}  // namespace zel::keys
