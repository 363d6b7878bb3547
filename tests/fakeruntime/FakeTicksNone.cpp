// Platforms whose tests drive the fake runtime themselves: no ticks.
#include "FakeDriver.h"

namespace zel::fake {

void StartTicks(void (*)()) {}
void StopTicks() {}

}  // namespace zel::fake
