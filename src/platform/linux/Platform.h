// Linux start-up of process-wide services.
#pragma once

namespace zel::gtk {

// Lets TStrUtils::GetFileMIMEType fall back to shared-mime-info.
void InstallSystemMimeLookup();

}  // namespace zel::gtk
