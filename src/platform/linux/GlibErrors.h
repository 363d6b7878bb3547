// The system's failure texts on Linux, as the replies show them.
#pragma once

#include <glib.h>

#include <string>

namespace zel::gtk {

// A GError's message without the D-Bus remote-error prefix, trimmed as
// TrimSystemMessage and made valid UTF-8.
std::string GErrorText(const GError* Error);

// Records the text that LastSystemErrorMessage gives on this thread.
void SetLastErrorText(std::string Text);
void SetLastErrorText(const GError* Error);

}  // namespace zel::gtk
