// Linux start-up of process-wide services.
#pragma once

namespace zel {

// Lets TStrUtils::GetFileMIMEType fall back to shared-mime-info.
void InstallSystemMimeLookup();

}  // namespace zel
