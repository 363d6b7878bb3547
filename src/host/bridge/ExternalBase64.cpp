// Bridge function: base64 text to a file.
#include "core/Base64.h"
#include "core/BridgeProtocol.h"
#include "core/FileSystem.h"
#include "core/StrUtils.h"
#include "host/bridge/BridgeHandlers.h"
#include "host/bridge/BrowserExternalModule.h"
#include "host/bridge/ExternalHelpers.h"

namespace zel {

namespace {

void DecodeToFile(TBrowserExternalModule& Module, const std::string& uuid,
                  const nlohmann::json& data) {
  const std::string filePath = ReadTextField(data, "filePath");
  if (filePath.empty()) return Module.SendError(uuid, Missing("filePath"));
  const std::string path = Module.ResolveLocalPath(filePath);
  CreateParentFolders(path);
  const std::optional<std::string> bytes = DecodeBase64(ReadTextField(data, "contents"));
  if (!bytes) return Module.SendError(uuid, TStrUtils::StringToJsonString("Invalid base64 data"));
  const std::string error = WriteFileAtomically(path, *bytes);
  if (!error.empty()) return Module.SendError(uuid, TStrUtils::StringToJsonString(error));
  Module.SendSuccess(uuid, "true");
}

const TBridgeHandlerEntry kEntries[] = {
    {"decodeToFile", &DecodeToFile},
};

}  // namespace

const TBridgeHandlerGroup kBase64Handlers = {"base64", kEntries};

}  // namespace zel
