#include "core/BridgeProtocol.h"

#include <algorithm>

#include "core/StrUtils.h"
#include "core/Text.h"

namespace zel {

const std::array<TBridgeFunction, 61> kBridgeFunctions = {{
    {10001, "", "hello", false, true},
    {10002, "", "isRuntime", false, true},
    {11001, "system", "logoff", false, true},
    {11002, "system", "reboot", false, true},
    {11003, "system", "shutdown", false, true},
    {11004, "system", "macAddresses", false, true},
    {11005, "system", "notification", true, true},
    {12001, "mainMenu", "setItems", true, true},
    {12002, "mainMenu", "updateItem", true, true},
    {13001, "registry", "writeValue", true, true},
    {13002, "registry", "readValue", true, true},
    {13003, "registry", "valueExist", true, true},
    {13004, "registry", "deleteValue", true, true},
    {13005, "registry", "keyExist", true, true},
    {13006, "registry", "deleteKey", true, true},
    {14001, "trayMenu", "showIcon", false, true},
    {14002, "trayMenu", "hideIcon", false, true},
    {14003, "trayMenu", "setItems", true, true},
    {14004, "trayMenu", "updateItem", true, true},
    {20001, "dialogs", "openFile", true, true},
    {20002, "dialogs", "saveFile", true, true},
    {20003, "dialogs", "selFolder", true, true},
    {30001, "files", "fileExists", true, true},
    {30002, "files", "deleteFile", true, true},
    {30003, "files", "writeTextFile", true, true},
    {30004, "files", "extractFile", true, true},
    {40001, "folders", "dirExists", true, true},
    {40002, "folders", "createDir", true, true},
    {40003, "folders", "deleteDir", true, true},
    {40004, "folders", "listFiles", true, true},
    {40005, "folders", "getTempDir", false, true},
    {40006, "folders", "getUserDocumentsDir", false, true},
    {40007, "folders", "getUserDesktopDir", false, true},
    {40008, "folders", "getAppExecutableDir", false, true},
    {40009, "folders", "getAppDataDir", false, true},
    {50001, "app", "close", false, false},
    {50002, "app", "inFullscreen", false, true},
    {50003, "app", "enterFullscreen", false, false},
    {50004, "app", "exitFullscreen", false, false},
    {50005, "app", "getArgs", false, true},
    {50006, "app", "navigate", true, true},
    {60001, "window", "getStyle", false, true},
    {60002, "window", "setStyle", true, true},
    {60003, "window", "getState", false, true},
    {60004, "window", "setState", true, true},
    {60005, "window", "getTitle", false, true},
    {60006, "window", "setTitle", true, true},
    {60007, "window", "getZoom", false, true},
    {60008, "window", "setZoom", true, true},
    {60009, "window", "getSize", false, true},
    {60010, "window", "setSize", true, true},
    {60011, "window", "getBorder", false, true},
    {60012, "window", "setBorder", true, false},
    {70001, "shell", "execute", true, true},
    {70002, "shell", "explore", true, true},
    {70003, "shell", "command", true, true},
    {70004, "shell", "windows", false, true},
    {80001, "themes", "getTheme", false, true},
    {80002, "themes", "getThemes", false, true},
    {80003, "themes", "setTheme", true, true},
    {90001, "base64", "decodeToFile", true, true},
}};

const TBridgeFunction* FindBridgeFunction(int id) {
  for (const TBridgeFunction& f : kBridgeFunctions)
    if (f.Id == id) return &f;
  return nullptr;
}

const TBridgeFunction* FindBridgeFunction(std::string_view group, std::string_view name) {
  for (const TBridgeFunction& f : kBridgeFunctions)
    if (f.Group == group && f.Name == name) return &f;
  return nullptr;
}

std::string FormatBridgeReply(std::string_view uuid, std::string_view result, bool success) {
  // The page chooses the uuid: written as a JSON string, so that quotes or
  // backslashes in it cannot break the reply or add members to it.
  std::string reply = "{\"uuid\": ";
  reply += TStrUtils::StringToJsonString(uuid);
  reply += ", \"success\": ";
  reply += success ? "true" : "false";
  reply += ", \"result\": ";
  reply.append(result);
  reply += '}';
  return reply;
}

std::string ReadTextField(const nlohmann::json& data, std::string_view key,
                          std::string_view defaultValue) {
  const auto it = data.find(key);
  if (it == data.end() || it->is_null()) return std::string(defaultValue);
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number() || it->is_boolean()) return it->dump();
  throw EBridgeArgument("the field " + std::string(key) + " is not a text");
}

bool ReadBoolField(const nlohmann::json& data, std::string_view key, bool defaultValue) {
  const auto it = data.find(key);
  if (it == data.end() || it->is_null()) return defaultValue;
  if (it->is_boolean()) return it->get<bool>();
  throw EBridgeArgument("the field " + std::string(key) + " is not a boolean");
}

namespace {

// The UTF-16 code unit of the escape "\\uXXXX" at json[i], or -1.
long EscapedUnit(std::string_view json, size_t i) {
  if (i + 6 > json.size() || json[i] != '\\' || json[i + 1] != 'u') return -1;
  long unit = 0;
  for (size_t k = i + 2; k < i + 6; ++k) {
    const char c = json[k];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

// JavaScript strings may hold lone surrogates, which JSON.stringify writes
// as escapes that no UTF-8 text can hold; each becomes U+FFFD.
std::string ReplaceLoneSurrogates(std::string_view json) {
  std::string out;
  out.reserve(json.size());
  for (size_t i = 0; i < json.size();) {
    if (json[i] != '\\' || i + 1 >= json.size()) {
      out += json[i++];
      continue;
    }
    const long unit = EscapedUnit(json, i);
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const long next = high ? EscapedUnit(json, i + 6) : -1;
    if (high && next >= 0xDC00 && next <= 0xDFFF) {
      out.append(json.substr(i, 12));
      i += 12;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += "\\ufffd";
      i += 6;
    } else {
      out.append(json.substr(i, 2));  // any other escape, "\\\\" included
      i += 2;
    }
  }
  return out;
}

// How deep arrays and objects nest in the text, strings skipped.
std::size_t NestingDepth(std::string_view json) {
  std::size_t depth = 0, deepest = 0;
  bool inString = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

TBridgeRequest ParseBridgeRequest(std::string_view json) {
  // Every request's data holds plain values. A value nested thousands deep
  // would be copied or written out by recursion, one stack frame a level.
  if (NestingDepth(json) > kMaxBridgeNesting) throw EBridgeArgument("the message nests too deep");
  nlohmann::json message = nlohmann::json::parse(json, nullptr, false);
  if (message.is_discarded())
    message = nlohmann::json::parse(ReplaceLoneSurrogates(json), nullptr, false);
  if (!message.is_object()) throw EBridgeArgument("the message is not a JSON object");
  auto member = [&](const char* key) -> nlohmann::json& {
    const auto it = message.find(key);
    if (it == message.end()) throw EBridgeArgument(std::string("the message has no ") + key);
    return *it;
  };
  auto text = [](const nlohmann::json& v, const char* key) {
    if (v.is_string()) return v.get<std::string>();
    if (v.is_number()) return v.dump();
    throw EBridgeArgument(std::string("the member ") + key + " is not a text");
  };
  TBridgeRequest request;
  request.IdText = text(member("id"), "id");
  request.Uuid = text(member("uuid"), "uuid");
  request.Data = std::move(member("data"));
  if (!request.Data.is_object()) throw EBridgeArgument("the member data is not an object");
  return request;
}

std::string ResolveLocalPath(std::string_view path, std::string_view appDirPath, char delim) {
  if (delim == '\\') {
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool unc = path.starts_with("\\\\");
    if (drive || unc) return std::string(path);
    return std::string(appDirPath) + ReplaceAll(path, "/", "\\");
  }
  if (path.starts_with("/")) return std::string(path);
  return std::string(appDirPath) + std::string(path);
}

}  // namespace zel
