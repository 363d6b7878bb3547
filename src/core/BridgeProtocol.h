// The page-to-host protocol: function ids, reply format, argument reading
// and local path resolution.
#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zel {

struct TBridgeFunction {
  int Id;
  std::string_view Group;  // empty for the top level
  std::string_view Name;
  bool TakesData;  // the caller's argument object is sent as "data"
  bool Replies;    // four functions never answer
};

// All 61 functions that the page script offers, in id order.
extern const std::array<TBridgeFunction, 61> kBridgeFunctions;
const TBridgeFunction* FindBridgeFunction(int id);
const TBridgeFunction* FindBridgeFunction(std::string_view group, std::string_view name);

// Thrown when a message or an argument cannot be read; the request then
// gets no reply.
class EBridgeArgument : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// {"uuid": "<uuid>", "success": <true|false>, "result": <result>}; the uuid
// is written as a JSON string, the result is inserted as it is.
std::string FormatBridgeReply(std::string_view uuid, std::string_view result, bool success);

// A text field: missing or null gives the default, a string its value, a
// number or boolean its JSON text; an object or array throws.
std::string ReadTextField(const nlohmann::json& data, std::string_view key,
                          std::string_view defaultValue = {});
// A boolean field: missing or null gives the default, true and false their
// value; anything else throws.
bool ReadBoolField(const nlohmann::json& data, std::string_view key, bool defaultValue);

// The members "id", "uuid" and "data" of a request; throws EBridgeArgument
// when the text is not such an object, or nests deeper than kMaxBridgeNesting.
inline constexpr std::size_t kMaxBridgeNesting = 256;
struct TBridgeRequest {
  std::string IdText;
  std::string Uuid;
  nlohmann::json Data;
};
TBridgeRequest ParseBridgeRequest(std::string_view json);

// A path on disk as the page gave it, made absolute against the folder of
// the executable (which ends with `delim`). With '\\' (Windows) a path with
// a drive or UNC part stays unchanged and other paths get backslashes; with
// '/' a path starting with "/" stays unchanged.
std::string ResolveLocalPath(std::string_view path, std::string_view appDirPath, char delim);

}  // namespace zel
