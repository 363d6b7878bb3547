// The two start-up windows on GTK: the password prompt and the progress
// window shown while the browser runtime installs.
#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkUI.h"

namespace zel::gtk {

bool TGtkUI::RequirePassword(const std::string&, const std::string&) {
  // No prompt yet: an application with a password must not open unasked.
  return false;
}

std::unique_ptr<IInstallerProgressPeer> TGtkUI::ShowInstallerProgress(
    const TInstallerProgressParams&) {
  return std::make_unique<IInstallerProgressPeer>();
}

}  // namespace zel::gtk
