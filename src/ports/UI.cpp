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

void ReportException(std::exception_ptr Error) noexcept {
  try {
    std::string message = "Unknown error";
    try {
      std::rethrow_exception(Error);
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    if (gUI) gUI->MessageDialog({"Error", message, TMsgDlgType::mtError, {{"OK", mrOk}}});
  } catch (...) {
    // Reporting must never fail the caller.
  }
}

}  // namespace zel
