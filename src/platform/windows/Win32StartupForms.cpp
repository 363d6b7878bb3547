// The two start-up windows on Win32: the password prompt and the progress
// window shown while the browser runtime installs.
#include "platform/windows/Win32UI.h"

namespace zel::win {

bool TWin32UI::RequirePassword(const std::string&, const std::string&) {
  // No prompt yet: an application with a password must not open unasked.
  return false;
}

std::unique_ptr<IInstallerProgressPeer> TWin32UI::ShowInstallerProgress(
    const TInstallerProgressParams&) {
  return std::make_unique<IInstallerProgressPeer>();
}

}  // namespace zel::win
