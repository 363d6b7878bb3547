// The library's exports, as the host binds and calls them.
#include <thread>

#include "Harness.h"

namespace zel::test {
namespace {

TEST(Loader, VersionExportsNameTheWebKitInUse) {
  TRuntime& runtime = Runtime();
  ASSERT_TRUE(runtime.Version && runtime.AvailableVersion && runtime.Create);
  const std::string expected = ZEL_WEBKIT_VERSION;
  for (auto get : {runtime.Version, runtime.AvailableVersion}) {
    LPWSTR version = nullptr;
    ASSERT_EQ(get(nullptr, &version), S_OK);
    EXPECT_EQ(TakeRuntimeString(version), expected);
    EXPECT_EQ(get(u"/ignored", nullptr), E_POINTER);
  }
  LPWSTR version = nullptr;
  ASSERT_EQ(runtime.Environment->get_BrowserVersionString(&version), S_OK);
  EXPECT_EQ(TakeRuntimeString(version), expected);
}

TEST(Loader, EnvironmentArrivesLaterOnTheMainThread) {
  TRuntime& runtime = Runtime();
  EXPECT_EQ(runtime.Create(nullptr), E_POINTER);
  std::thread::id mainThread = std::this_thread::get_id(), invokedOn;
  HRESULT result = E_ABORT, returned = E_ABORT;
  TComPtr<ICoreWebView2Environment> environment;
  auto handler = Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>(
      [&](HRESULT hr, ICoreWebView2Environment* made) {
        invokedOn = std::this_thread::get_id();
        result = hr;
        environment = TComPtr<ICoreWebView2Environment>(made);
        return S_OK;
      });
  std::thread worker([&] { returned = runtime.Create(handler.Get()); });
  worker.join();
  EXPECT_EQ(returned, S_OK);
  EXPECT_EQ(result, E_ABORT) << "the handler ran inside the call";
  ASSERT_TRUE(PumpUntil([&] { return static_cast<bool>(environment); }));
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(invokedOn, mainThread);
}

TEST(Loader, ControllerNeedsAContainerAndArrivesLater) {
  TRuntime& runtime = Runtime();
  GtkWidget* label = gtk_label_new("not a container");
  g_object_ref_sink(label);
  auto never = Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
      [](HRESULT, ICoreWebView2Controller*) {
        ADD_FAILURE() << "no controller was asked for";
        return S_OK;
      });
  EXPECT_EQ(runtime.Environment->CreateCoreWebView2Controller(label, never.Get()), E_INVALIDARG);
  EXPECT_EQ(runtime.Environment->CreateCoreWebView2Controller(nullptr, never.Get()), E_INVALIDARG);
  GtkWidget* layout = g_object_ref_sink(gtk_layout_new(nullptr, nullptr));
  EXPECT_EQ(runtime.Environment->CreateCoreWebView2Controller(layout, nullptr), E_POINTER);
  PumpFor(50ms);
  g_object_unref(layout);
  g_object_unref(label);
}

TEST(Loader, ResponsesParseTheirHeaderText) {
  TComPtr<ICoreWebView2WebResourceResponse> response;
  ASSERT_EQ(Runtime().Environment->CreateWebResourceResponse(
                MemoryStream("body").Get(), 201, u"Made",
                u"Content-Type: text/plain; charset=utf-8\r\nX-One: 1\r\nX-Two:  two  \r\n\r\n",
                response.Put()),
            S_OK);
  int status = 0;
  response->get_StatusCode(&status);
  EXPECT_EQ(status, 201);
  LPWSTR reason = nullptr;
  response->get_ReasonPhrase(&reason);
  EXPECT_EQ(TakeRuntimeString(reason), "Made");
  TComPtr<ICoreWebView2HttpResponseHeaders> headers;
  ASSERT_EQ(response->get_Headers(headers.Put()), S_OK);
  LPWSTR value = nullptr;
  ASSERT_EQ(headers->GetHeader(u"x-two", &value), S_OK);
  EXPECT_EQ(TakeRuntimeString(value), "two");
  EXPECT_EQ(headers->GetHeader(u"X-Missing", &value), E_INVALIDARG);
  headers->AppendHeader(u"X-One", u"again");
  TComPtr<ICoreWebView2HttpHeadersCollectionIterator> iterator;
  ASSERT_EQ(headers->GetHeaders(u"X-ONE", iterator.Put()), S_OK);
  std::vector<std::string> values;
  for (BOOL has = FALSE; SUCCEEDED(iterator->get_HasCurrentHeader(&has)) && has;
       iterator->MoveNext(&has)) {
    LPWSTR name = nullptr, text = nullptr;
    ASSERT_EQ(iterator->GetCurrentHeader(&name, &text), S_OK);
    EXPECT_EQ(TakeRuntimeString(name), "X-One");
    values.push_back(TakeRuntimeString(text));
  }
  EXPECT_EQ(values, (std::vector<std::string>{"1", "again"}));
}

}  // namespace
}  // namespace zel::test
