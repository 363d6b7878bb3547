/* Stands for a machine without the browser runtime: the library loads, but
 * reports an empty version, as the real loader does when no runtime is
 * installed. */
#include <stdint.h>
#include <stdlib.h>

__attribute__((visibility("default"))) int32_t GetAvailableCoreWebView2BrowserVersionString(
    const uint16_t* browserExecutableFolder, uint16_t** version) {
  (void)browserExecutableFolder;
  *version = calloc(1, sizeof **version);
  return 0;
}
