#include "core/MenuItems.h"

#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

#include "core/Text.h"

namespace zel {

namespace {

// The text of an item's value; nullopt when absent, null, or a structure.
std::optional<std::string> ItemText(const nlohmann::json& item, const char* key) {
  const auto it = item.find(key);
  if (it == item.end() || it->is_null() || it->is_object() || it->is_array()) return std::nullopt;
  if (it->is_string()) return it->get<std::string>();
  return it->dump();
}

int32_t ItemId(const std::string& text) {
  int value = 0;
  return TryStrToInt(text, value) ? value : 0;
}

bool ParseItem(const nlohmann::json& element, int depth, TMenuItemData& item);

bool ParseList(const nlohmann::json& array, int depth, std::vector<TMenuItemData>& items) {
  if (depth > kMaxMenuDepth) return false;
  items.reserve(array.size());
  for (const nlohmann::json& element : array) {
    items.emplace_back();
    if (!ParseItem(element, depth, items.back())) return false;
  }
  return true;
}

bool ParseItem(const nlohmann::json& element, int depth, TMenuItemData& item) {
  if (!element.is_object()) return false;
  const auto caption = ItemText(element, "caption");
  const auto id = ItemText(element, "id");
  if (!caption || !id) return false;
  item.Id = ItemId(*id);
  item.Caption = *caption;
  if (element.contains("enabled")) {
    const auto enabled = ItemText(element, "enabled");
    if (enabled && !enabled->empty()) {
      item.Enabled = ParseMenuEnabled(*enabled);
      if (!item.Enabled) return false;
    }
  }
  if (const auto image = ItemText(element, "image")) item.Image = *image;
  const auto sub = element.find("items");
  if (sub == element.end()) return true;
  if (!sub->is_array()) return false;
  item.HasSubmenu = true;
  return ParseList(*sub, depth + 1, item.Items);
}

}  // namespace

bool ParseMenuItems(const nlohmann::json& array, std::vector<TMenuItemData>& items) {
  items.clear();
  if (!array.is_array()) return false;
  if (ParseList(array, 1, items)) return true;
  items.clear();
  return false;
}

std::optional<bool> ParseMenuEnabled(std::string_view text) {
  const std::string_view t = Trim(text);
  if (SameTextAscii(t, "true")) return true;
  if (SameTextAscii(t, "false")) return false;
  if (t.empty()) return std::nullopt;
  // A number in the page's JSON notation, independent of the locale.
  std::istringstream in{std::string(t)};
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;
  if (in.fail() || in.peek() != std::char_traits<char>::eof() || !std::isfinite(value))
    return std::nullopt;
  return value != 0;
}

std::string UnderscoreMnemonicCaption(std::string_view caption) {
  std::string out;
  out.reserve(caption.size() + 8);
  for (size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '_') {
      out += "__";
    } else if (c == '&' && i + 1 < caption.size()) {
      out += caption[i + 1] == '&' ? "&" : "_";
      if (caption[i + 1] == '&') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string CaptionWithoutMark(std::string_view caption) {
  std::string out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      if (caption[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += caption[i];
  }
  return out;
}

std::string TruncateUtf8(std::string_view text, size_t MaxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Continuation bytes (10xxxxxx) belong to the character before them.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars++ == MaxChars) return std::string(text.substr(0, i));
  }
  return std::string(text);
}

}  // namespace zel
