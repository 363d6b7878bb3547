// Fuzzes the reading of the menu items that a page sends, and the caption
// texts built from them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "com/Utf.h"
#include "core/MenuItems.h"

namespace {

void Captions(const std::vector<zel::TMenuItemData>& items, int depth) {
  if (!items.empty() && depth > zel::kMaxMenuDepth) std::abort();
  for (const zel::TMenuItemData& item : items) {
    zel::UnderscoreMnemonicCaption(item.Caption);
    zel::CaptionWithoutMark(item.Caption);
    const std::string cut = zel::TruncateUtf8(item.Caption, item.Caption.size() % 7);
    if (!std::string_view(item.Caption).starts_with(cut)) std::abort();
    zel::ParseMenuEnabled(item.Caption);
    if (!item.HasSubmenu && !item.Items.empty()) std::abort();
    Captions(item.Items, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  zel::ParseMenuEnabled(text);
  zel::UnderscoreMnemonicCaption(text);
  zel::CaptionWithoutMark(text);
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) return 0;
  std::vector<zel::TMenuItemData> items;
  if (zel::ParseMenuItems(json, items)) Captions(items, 1);
  return 0;
}
