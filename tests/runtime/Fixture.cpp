#include "Harness.h"

#include <cstdlib>

#include "com/Utf.h"

namespace zel::test {

void TBrowserTest::SetUp() {
  TComPtr<ICoreWebView2Environment> environment = Environment();
  ASSERT_TRUE(environment) << "no environment";
  FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(FWindow), 800, 600);
  FLayout = gtk_layout_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(FWindow), FLayout);
  gtk_widget_show_all(FWindow);

  HRESULT created = E_ABORT;
  bool done = false;
  ASSERT_EQ(environment->CreateCoreWebView2Controller(
                FLayout, Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
                             [&](HRESULT hr, ICoreWebView2Controller* controller) {
                               created = hr;
                               FController = TComPtr<ICoreWebView2Controller>(controller);
                               done = true;
                               return S_OK;
                             })
                             .Get()),
            S_OK);
  ASSERT_FALSE(done) << "the controller must arrive later, from the main loop";
  ASSERT_TRUE(PumpUntil([&] { return done; }));
  ASSERT_EQ(created, S_OK);
  ASSERT_EQ(FController->get_CoreWebView2(FWebView.Put()), S_OK);
  ASSERT_EQ(FWebView->get_Settings(FSettings.Put()), S_OK);
  ASSERT_EQ(FController->put_Bounds(RECT{0, 0, 800, 600}), S_OK);
  EventRegistrationToken token{};
  FWebView->add_WebMessageReceived(
      Handler<ICoreWebView2WebMessageReceivedEventHandler>(
          [this](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
            LPWSTR source = nullptr, json = nullptr;
            args->get_Source(&source);
            args->get_WebMessageAsJson(&json);
            FMessages.push_back({TakeRuntimeString(source), TakeRuntimeString(json)});
            return S_OK;
          })
          .Get(),
      &token);
}

void TBrowserTest::TearDown() {
  // ZEL_RUNTIME_TEST_HOLD_MS keeps each test's window up, to look at it.
  if (const char* hold = g_getenv("ZEL_RUNTIME_TEST_HOLD_MS"))
    PumpFor(std::chrono::milliseconds(std::atoi(hold)));
  if (FController) FController->Close();
  FSettings = nullptr;
  FWebView = nullptr;
  FController = nullptr;
  // The test's window and the runtime's own windows; not GTK's inner ones.
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next)
    if (gtk_window_get_window_type(GTK_WINDOW(w->data)) == GTK_WINDOW_TOPLEVEL)
      gtk_widget_destroy(GTK_WIDGET(w->data));
  g_list_free(windows);
  PumpFor(20ms);
}

bool TBrowserTest::Navigate(const std::string& uri) {
  return WaitForNavigation([&] { EXPECT_EQ(FWebView->Navigate(Wide(uri).c_str()), S_OK); }, uri);
}

bool TBrowserTest::ShowHtml(const std::string& html) {
  return WaitForNavigation([&] { EXPECT_EQ(FWebView->NavigateToString(Wide(html).c_str()), S_OK); },
                           "a page from a string");
}

bool TBrowserTest::WaitForNavigation(const std::function<void()>& start, const std::string& what) {
  bool done = false, success = false;
  EventRegistrationToken token{};
  FWebView->add_NavigationCompleted(
      Handler<ICoreWebView2NavigationCompletedEventHandler>(
          [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs* args) {
            BOOL ok = FALSE;
            args->get_IsSuccess(&ok);
            success = ok;
            done = true;
            return S_OK;
          })
          .Get(),
      &token);
  start();
  EXPECT_TRUE(PumpUntil([&] { return done; })) << "no NavigationCompleted for " << what;
  FWebView->remove_NavigationCompleted(token);
  return success;
}

std::string TBrowserTest::Eval(const std::string& script) {
  bool done = false;
  std::string result;
  HRESULT hr = FWebView->ExecuteScript(
      Wide(script).c_str(),
      Handler<ICoreWebView2ExecuteScriptCompletedHandler>([&](HRESULT error, LPCWSTR json) {
        result = SUCCEEDED(error) ? Utf16ToUtf8(json) : "error";
        done = true;
        return S_OK;
      }).Get());
  EXPECT_EQ(hr, S_OK);
  EXPECT_TRUE(PumpUntil([&] { return done; })) << script;
  return result;
}

TMessage TBrowserTest::WaitForMessage(const std::string& containing,
                                      std::chrono::milliseconds timeout) {
  TMessage found;
  bool ok = PumpUntil(
      [&] {
        for (std::size_t i = FMessagesRead; i < FMessages.size(); ++i) {
          if (FMessages[i].Json.find(containing) == std::string::npos) continue;
          found = FMessages[i];
          FMessagesRead = i + 1;
          return true;
        }
        return false;
      },
      timeout);
  EXPECT_TRUE(ok) << "no web message containing " << containing;
  return found;
}

void TBrowserTest::SendKey(guint keyval, guint16 hardwareKeycode, GdkModifierType state) {
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
    GdkEvent* event = gdk_event_new(type);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(FWindow)));
    event->key.send_event = TRUE;
    event->key.time = FKeyTime++;
    event->key.state = state;
    event->key.keyval = keyval;
    event->key.hardware_keycode = hardwareKeycode;
    gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
    gtk_main_do_event(event);
    gdk_event_free(event);
  }
}

}  // namespace zel::test
