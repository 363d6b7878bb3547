// The start-up messages in six languages.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace zel {

constexpr int kMessageCount = 10;

// Indexes into the message tables.
enum TLocalizedMessage : int {
  lmLanguageCode = 0,
  lmErrorTitle = 1,
  lmConfirmTitle = 2,
  lmAcceptCaption = 3,
  lmCancelCaption = 4,
  lmNotAValidApplication = 5,
  lmRuntimeRequired = 6,
  lmRuntimeInstallQuestion = 7,
  lmCannotContinue = 8,
  lmInstallationCancelled = 9,
};

// The message of that index for a language code; English when the language
// has no row. Throws std::out_of_range("MessageIndex is out of range!")
// for an index outside 0 to 9.
std::string LocalizedMessageFor(int index, std::string_view languageCode);

// The ISO 639 language of a POSIX locale name: "zh_TW.UTF-8" gives "zh";
// "C", "POSIX" and the empty name give "en".
std::string LanguageOfLocaleName(std::string_view localeName);

}  // namespace zel
