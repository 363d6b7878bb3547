#include "ports/UI.h"

#include <stdexcept>

namespace zel {

static IUI* gUI = nullptr;

IUI& UI() {
  if (!gUI) throw std::logic_error("no user interface installed");
  return *gUI;
}

void SetUI(IUI* Ui) {
  gUI = Ui;
}

}  // namespace zel
