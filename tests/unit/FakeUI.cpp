#include "FakeUI.h"

#include <chrono>

namespace zel::test {

void TFakeUI::PumpPending() {
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard guard(FLock);
      if (FQueue.empty()) return;
      fn = std::move(FQueue.front());
      FQueue.pop_front();
    }
    Run(fn);
  }
}

bool TFakeUI::Pump(const std::function<bool()>& until, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!until()) {
    PumpPending();
    if (until()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace zel::test
