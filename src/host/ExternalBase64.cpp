// Bridge function: base64 text to a file.
#include "core/Base64.h"
#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/StrUtils.h"
#include "host/BrowserExternalModule.h"
#include "host/ExternalHelpers.h"

namespace zel {

void TBrowserExternalModule::DecodeToFile(const std::string& uuid, const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return SendError(uuid, Missing("filePath"));
  const std::string path = ResolveLocalPath(filePath);
  CreateParentFolders(path);
  const std::optional<std::string> bytes = DecodeBase64(ReadTextField(data, "contents"));
  if (!bytes) return SendError(uuid, TStrUtils::StringToJsonString("Invalid base64 data"));
  const std::string error = WriteFileAtomically(path, *bytes);
  if (!error.empty()) return SendError(uuid, TStrUtils::StringToJsonString(error));
  SendSuccess(uuid, "true");
}

}  // namespace zel
