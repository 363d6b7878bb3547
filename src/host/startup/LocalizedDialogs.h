// The start-up's localized messages and its two kinds of message dialog.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "ports/UI.h"

namespace zel {

// The ISO 639 language of the user's locale.
std::string GetUserLanguageCode();

// The message of that index in the user's language (English when there is no
// translation). Throws std::out_of_range for an index outside 0 to 9.
std::string GetLocalizedMessage(int Index);

// Shows a modal message dialog whose buttons appear in the standard order;
// the n-th button gets ButtonCaptions[n] while there is one. Returns the
// modal result (Cancel, Escape and the close button give mrCancel when there
// is a Cancel button).
int LocalizedMessageDialog(const std::string& Msg, TMsgDlgType DlgType,
                           const std::set<TMsgDlgBtn>& Buttons,
                           const std::vector<std::string>& ButtonCaptions,
                           const std::string& Title);

// The error form: error icon, one "Accept" button, title "Error".
void ShowLocalizedError(int MessageIndex);
// The question form: "Accept" and "Cancel"; true unless the answer is Cancel.
bool AskLocalizedQuestion(int MessageIndex);

}  // namespace zel
