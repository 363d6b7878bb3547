// Ticks from a thread timer: the host's message loop (and any modal loop
// inside it) dispatches them on the UI thread, where the runtime's events
// belong.
#include <windows.h>

#include "FakeDriver.h"

namespace zel::fake {

namespace {

void (*Tick)() = nullptr;
UINT_PTR Timer = 0;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (Tick) Tick();
}

}  // namespace

void StartTicks(void (*tick)()) {
  Tick = tick;
  if (!Timer) Timer = SetTimer(nullptr, 0, 20, OnTimer);
}

void StopTicks() {
  if (Timer) KillTimer(nullptr, Timer);
  Timer = 0;
  Tick = nullptr;
}

}  // namespace zel::fake
