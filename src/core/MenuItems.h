// The menu items that a page describes in JSON, read into a tree before any
// menu is touched, and the caption texts that the toolkits need.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

struct TMenuItemData {
  int32_t Id = 0;
  std::string Caption;
  std::optional<bool> Enabled;
  std::string Image;        // empty: no image
  bool HasSubmenu = false;  // "items" given, even empty
  std::vector<TMenuItemData> Items;
};

// Deeper submenus are refused: nobody navigates them, and the recursive
// builders of the toolkits would run out of stack.
constexpr int kMaxMenuDepth = 32;

// Reads an array of item objects. False when an element is not an object,
// lacks "id" or "caption" (or has one that is not text, a number or a
// boolean), has an "enabled" that is neither a boolean word nor a number, has
// "items" that is not an array, or nests deeper than kMaxMenuDepth.
bool ParseMenuItems(const nlohmann::json& array, std::vector<TMenuItemData>& items);

// True or false in any letter case, or a number (0 false, others true).
std::optional<bool> ParseMenuEnabled(std::string_view text);

// A caption for a toolkit that marks the access key with "_": "&x" becomes
// "_x", "&&" a literal "&", and a literal "_" is doubled.
std::string UnderscoreMnemonicCaption(std::string_view caption);
// The caption as it reads on screen: the access-key marks removed, "&&"
// as "&".
std::string CaptionWithoutMark(std::string_view caption);

// A lone "-" draws a separator line.
inline bool IsSeparatorCaption(std::string_view caption) {
  return caption == "-";
}

// The first MaxChars characters of UTF-8 text, never cutting one in two.
std::string TruncateUtf8(std::string_view text, size_t MaxChars);

}  // namespace zel
