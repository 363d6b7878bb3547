// A browser control on the fake runtime and the fake user interface.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "FakeRuntime.h"
#include "FakeUI.h"
#include "host/browser/EdgeBrowser.h"
#include "host/browser/EdgeLoader.h"
#include "ports/System.h"

namespace zel::test {

class BrowserFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    WebView2LoaderPath = ZEL_FAKE_RUNTIME;
    // Loaded once for the whole run: creation workers may still be leaving
    // the library when a test ends.
    static const auto library = sys::TDynLib::Load(ZEL_FAKE_RUNTIME);
    ASSERT_TRUE(library);
    using TGet = fake::IFakeRuntime* (*)();
    FFake = reinterpret_cast<TGet>(library->Symbol("ZelFakeRuntime"))();
    FFake->Reset();
  }
  void TearDown() override {
    FFake->Reset();
    UnloadWebView2Loader();
    WebView2LoaderPath.clear();
  }

  fake::IFakeRuntime& Fake() { return *FFake; }

  // Gives the control its parent and waits until the runtime was asked for
  // a controller (or the creation failed early).
  void StartCreation(TCustomEdgeBrowser& browser) {
    browser.SetParent(FBrowserForm);
    UI.Pump([&] { return Fake().ControllersRequested() > 0 || FCompletions > 0; });
  }

  // A control whose web view exists.
  std::unique_ptr<TEdgeBrowser> CreatedBrowser() {
    auto browser = std::make_unique<TEdgeBrowser>();
    browser->OnCreateWebViewCompleted = [this](TCustomEdgeBrowser&, HRESULT hr) {
      ++FCompletions;
      LastResult = hr;
    };
    StartCreation(*browser);
    Fake().RunPending();
    return browser;
  }

  TFakeUI UI;
  TFakeBrowserFormPeer FBrowserForm;
  int FCompletions = 0;
  HRESULT LastResult = S_OK;

 private:
  fake::IFakeRuntime* FFake = nullptr;
};

}  // namespace zel::test
