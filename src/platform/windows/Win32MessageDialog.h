// The modal message dialog: the system's task dialog where the common
// controls provide it, else a dialog of our own with the same texts.
#pragma once

#include <windows.h>

#include <string>

#include "ports/UI.h"

namespace zel::win {

// Shows Params modally, owned by the active window, and returns the modal result
// of the button pressed. Escape and the close button answer mrCancel when one
// of the buttons has that result; otherwise they do nothing. An empty title
// gives DefaultTitle.
int ShowMessageDialog(const TMessageDialogParams& Params, const std::string& DefaultTitle);

// The dialog of our own, on its own (for tests and systems without task dialogs).
int ShowPlainMessageDialog(const TMessageDialogParams& Params, const std::string& DefaultTitle);

}  // namespace zel::win
