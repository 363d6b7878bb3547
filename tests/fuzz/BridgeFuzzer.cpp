// Fuzzes the reading of page requests and their argument fields.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/BridgeProtocol.h"
#include "core/StrUtils.h"
#include "core/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const zel::TBridgeRequest request = zel::ParseBridgeRequest(text);
    int id = 0;
    zel::TryStrToInt(request.IdText, id);
    for (const auto& [key, value] : request.Data.items()) {
      try {
        zel::TStrUtils::StringToJsonString(zel::ReadTextField(request.Data, key));
        zel::ReadBoolField(request.Data, key, false);
      } catch (const zel::EBridgeArgument&) {
      }
    }
    zel::FormatBridgeReply(request.Uuid, "true", true);
  } catch (const zel::EBridgeArgument&) {
  }
  return 0;
}
