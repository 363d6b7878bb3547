// The runtime's pure helpers, compiled in from the library's sources: address
// translation, resource filters and key codes.
#include <gdk/gdk.h>
#include <gtest/gtest.h>

#include "core/Text.h"
#include "platform/linux/webkit/Keys.h"
#include "platform/linux/webkit/UriMap.h"

namespace zel::test {
namespace {

TEST(Helpers, AddressesTranslateBetweenFileAndApp) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // host form, engine form, host form read back
      {"file:///a/b.html?x=1#top", "app:///a/b.html?x=1#top", "file:///a/b.html?x=1#top"},
      {"FILE:///C:/x", "app:///C:/x", "file:///C:/x"},
      {"https://example.com/file:///x", "https://example.com/file:///x",
       "https://example.com/file:///x"},
      {"about:blank", "about:blank", "about:blank"},
      {"filesystem:x", "filesystem:x", "filesystem:x"},
  };
  for (const auto& [host, engine, back] : cases) {
    EXPECT_EQ(uri::ToEngine(host), engine) << host;
    EXPECT_EQ(uri::ToHost(uri::ToEngine(host)), back) << host;
  }
  EXPECT_EQ(uri::ToHost("APP:///x"), "file:///x");
}

TEST(Helpers, OnlyLocalPagesCountAsLocal) {
  const std::pair<const char*, bool> cases[] = {
      {"app:///index.html", true},  {"file:///index.html", true},
      {"about:blank", true},        {"", true},
      {"http://127.0.0.1/", false}, {"https://app.example/", false},
      {"application:x", false},     {"data:text/html,x", false},
  };
  for (const auto& [address, local] : cases) EXPECT_EQ(uri::IsLocalPage(address), local) << address;
}

TEST(Helpers, FiltersMatchWithWildcards) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"*", "file:///anything?x", true},
      {"", "", true},
      {"", "x", false},
      {"file:///app/*", "file:///app/css/a.css", true},
      {"file:///app/*", "file:///other/a.css", false},
      {"*.css", "file:///a.css", true},
      {"*.css", "file:///a.css?v=2", false},
      {"*.css*", "file:///a.css?v=2", true},
      {"file:///a?b", "file:///axb", true},
      {"file:///*/x/*.js", "file:///p/q/x/y/z.js", true},
      {"file:///*/x/*.js", "file:///p/q/y/z.js", false},
      {"**a", "bbba", true},
      {"FILE:///*", "file:///x", false},
  };
  for (const auto& [pattern, text, match] : cases)
    EXPECT_EQ(WildcardMatch(pattern, text), match) << pattern << " ~ " << text;
}

TEST(Helpers, KeysMapToWindowsVirtualKeys) {
  const std::pair<unsigned, std::uint32_t> cases[] = {
      {GDK_KEY_a, 'A'},        {GDK_KEY_Z, 'Z'},          {GDK_KEY_0, '0'},
      {GDK_KEY_9, '9'},        {GDK_KEY_F1, 0x70},        {GDK_KEY_F12, 0x7B},
      {GDK_KEY_Escape, 0x1B},  {GDK_KEY_Tab, 0x09},       {GDK_KEY_Return, 0x0D},
      {GDK_KEY_Delete, 0x2E},  {GDK_KEY_Home, 0x24},      {GDK_KEY_End, 0x23},
      {GDK_KEY_Page_Up, 0x21}, {GDK_KEY_Page_Down, 0x22}, {GDK_KEY_Left, 0x25},
      {GDK_KEY_Down, 0x28},    {GDK_KEY_BackSpace, 0x08}, {GDK_KEY_KP_5, 0x65},
      {GDK_KEY_minus, 0xBD},   {GDK_KEY_Control_R, 0x11}, {GDK_KEY_dead_acute, 0},
  };
  for (const auto& [keyval, virtualKey] : cases)
    EXPECT_EQ(keys::VirtualKey(keyval), virtualKey) << gdk_keyval_name(keyval);
  EXPECT_TRUE(keys::IsExtended(GDK_KEY_Right));
  EXPECT_FALSE(keys::IsExtended(GDK_KEY_KP_Right)) << "the keypad's arrows are not extended";
  for (unsigned keyval : {GDK_KEY_a, GDK_KEY_space, GDK_KEY_Return, GDK_KEY_Escape, GDK_KEY_eacute})
    EXPECT_TRUE(keys::TypesCharacter(keyval)) << gdk_keyval_name(keyval);
  for (unsigned keyval :
       {GDK_KEY_F5, GDK_KEY_Delete, GDK_KEY_Left, GDK_KEY_Control_L, GDK_KEY_Insert})
    EXPECT_FALSE(keys::TypesCharacter(keyval)) << gdk_keyval_name(keyval);
}

}  // namespace
}  // namespace zel::test
