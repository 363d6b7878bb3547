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

namespace {

class TFakeNotificationCenter : public INotificationCenter {
 public:
  explicit TFakeNotificationCenter(TFakeUI& ui) : FUI(ui) {}
  bool Supported() override { return FUI.NotifySupported; }
  bool Present(const std::string& name, const std::string& title,
               const std::string& body) override {
    if (FUI.NotifyShowFails) return false;
    std::erase_if(FUI.Notifications, [&](const auto& n) { return n[0] == name; });
    FUI.Notifications.insert(FUI.Notifications.begin(), {name, title, body});
    return true;
  }

 private:
  TFakeUI& FUI;
};

}  // namespace

std::unique_ptr<INotificationCenter> TFakeUI::CreateNotificationCenter(
    const std::string& appName, std::function<void(const std::string&)> onClick) {
  NotifyAppName = appName;
  ClickNotification = std::move(onClick);
  return std::make_unique<TFakeNotificationCenter>(*this);
}

}  // namespace zel::test
