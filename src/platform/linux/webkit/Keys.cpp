#include "platform/linux/webkit/Keys.h"

#include <gdk/gdk.h>

#include <array>
#include <utility>

namespace zel::keys {

namespace {

constexpr std::array<std::pair<unsigned, std::uint32_t>, 64> kTable{{
    {GDK_KEY_BackSpace, 0x08},    {GDK_KEY_Tab, 0x09},          {GDK_KEY_ISO_Left_Tab, 0x09},
    {GDK_KEY_Return, 0x0D},       {GDK_KEY_KP_Enter, 0x0D},     {GDK_KEY_Shift_L, 0x10},
    {GDK_KEY_Shift_R, 0x10},      {GDK_KEY_Control_L, 0x11},    {GDK_KEY_Control_R, 0x11},
    {GDK_KEY_Alt_L, 0x12},        {GDK_KEY_Alt_R, 0x12},        {GDK_KEY_ISO_Level3_Shift, 0x12},
    {GDK_KEY_Pause, 0x13},        {GDK_KEY_Caps_Lock, 0x14},    {GDK_KEY_Escape, 0x1B},
    {GDK_KEY_space, 0x20},        {GDK_KEY_Page_Up, 0x21},      {GDK_KEY_KP_Page_Up, 0x21},
    {GDK_KEY_Page_Down, 0x22},    {GDK_KEY_KP_Page_Down, 0x22}, {GDK_KEY_End, 0x23},
    {GDK_KEY_KP_End, 0x23},       {GDK_KEY_Home, 0x24},         {GDK_KEY_KP_Home, 0x24},
    {GDK_KEY_Left, 0x25},         {GDK_KEY_KP_Left, 0x25},      {GDK_KEY_Up, 0x26},
    {GDK_KEY_KP_Up, 0x26},        {GDK_KEY_Right, 0x27},        {GDK_KEY_KP_Right, 0x27},
    {GDK_KEY_Down, 0x28},         {GDK_KEY_KP_Down, 0x28},      {GDK_KEY_Print, 0x2C},
    {GDK_KEY_Insert, 0x2D},       {GDK_KEY_KP_Insert, 0x2D},    {GDK_KEY_Delete, 0x2E},
    {GDK_KEY_KP_Delete, 0x2E},    {GDK_KEY_Super_L, 0x5B},      {GDK_KEY_Super_R, 0x5C},
    {GDK_KEY_Menu, 0x5D},         {GDK_KEY_KP_Multiply, 0x6A},  {GDK_KEY_KP_Add, 0x6B},
    {GDK_KEY_KP_Separator, 0x6C}, {GDK_KEY_KP_Subtract, 0x6D},  {GDK_KEY_KP_Decimal, 0x6E},
    {GDK_KEY_KP_Divide, 0x6F},    {GDK_KEY_Num_Lock, 0x90},     {GDK_KEY_Scroll_Lock, 0x91},
    {GDK_KEY_semicolon, 0xBA},    {GDK_KEY_equal, 0xBB},        {GDK_KEY_plus, 0xBB},
    {GDK_KEY_comma, 0xBC},        {GDK_KEY_minus, 0xBD},        {GDK_KEY_period, 0xBE},
    {GDK_KEY_slash, 0xBF},        {GDK_KEY_grave, 0xC0},        {GDK_KEY_bracketleft, 0xDB},
    {GDK_KEY_backslash, 0xDC},    {GDK_KEY_bracketright, 0xDD}, {GDK_KEY_apostrophe, 0xDE},
    {GDK_KEY_KP_Begin, 0x0C},     {GDK_KEY_Clear, 0x0C},        {GDK_KEY_Sys_Req, 0x2C},
    {GDK_KEY_Break, 0x03},
}};

}  // namespace

std::uint32_t VirtualKey(unsigned keyval) {
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return 0x60 + (keyval - GDK_KEY_KP_0);
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return 0x70 + (keyval - GDK_KEY_F1);
  for (const auto& [from, to] : kTable)
    if (from == keyval) return to;
  return 0;
}

bool IsExtended(unsigned keyval) {
  switch (keyval) {
    case GDK_KEY_Insert:
    case GDK_KEY_Delete:
    case GDK_KEY_Home:
    case GDK_KEY_End:
    case GDK_KEY_Page_Up:
    case GDK_KEY_Page_Down:
    case GDK_KEY_Left:
    case GDK_KEY_Right:
    case GDK_KEY_Up:
    case GDK_KEY_Down:
    case GDK_KEY_Control_R:
    case GDK_KEY_Alt_R:
    case GDK_KEY_ISO_Level3_Shift:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_KP_Divide:
    case GDK_KEY_Num_Lock:
    case GDK_KEY_Super_L:
    case GDK_KEY_Super_R:
    case GDK_KEY_Menu:
    case GDK_KEY_Print:
      return true;
    default:
      return false;
  }
}

bool TypesCharacter(unsigned keyval) {
  switch (keyval) {
    case GDK_KEY_BackSpace:
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_Escape:
      return true;
    default: {
      gunichar c = gdk_keyval_to_unicode(keyval);
      return c >= 0x20 && c != 0x7F;
    }
  }
}

}  // namespace zel::keys
