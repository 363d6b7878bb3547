// The baseline for the benchmarks: a bare WebKitGTK window, no host around
// it.
//   bare_webkit startup <page.html>   serves the page from memory through a
//                                     custom scheme; the window's title
//                                     follows the page's.
//   bare_webkit roundtrip <page.html> the page posts JSON messages to a
//                                     script message handler that answers
//                                     each the way the host's bridge does;
//                                     the page's last message is printed.
//   bare_webkit asset <page.html> <file>
//                                     serves the file from memory as
//                                     bench:///asset.bin besides the page;
//                                     the page's last message is printed.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string gPage;
GBytes* gAsset = nullptr;

void ServePage(WebKitURISchemeRequest* request, gpointer) {
  if (gAsset && g_str_has_suffix(webkit_uri_scheme_request_get_path(request), "/asset.bin")) {
    GInputStream* stream = g_memory_input_stream_new_from_bytes(gAsset);
    webkit_uri_scheme_request_finish(request, stream, g_bytes_get_size(gAsset),
                                     "application/octet-stream");
    g_object_unref(stream);
    return;
  }
  GInputStream* stream =
      g_memory_input_stream_new_from_data(g_strdup(gPage.c_str()), gPage.size(), g_free);
  webkit_uri_scheme_request_finish(request, stream, gPage.size(), "text/html");
  g_object_unref(stream);
}

void TitleChanged(WebKitWebView* view, GParamSpec*, gpointer window) {
  const char* title = webkit_web_view_get_title(view);
  gtk_window_set_title(GTK_WINDOW(window), title ? title : "");
}

// Answers {"id":..,"uuid":..,"data":..} with the reply text the host sends.
void MessageReceived(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer view) {
  JSCValue* value = webkit_javascript_result_get_js_value(result);
  g_autofree char* text = jsc_value_to_string(value);
  if (g_str_has_prefix(text, "done:")) {
    std::printf("%s\n", text + 5);
    std::fflush(stdout);
    gtk_main_quit();
    return;
  }
  JSCValue* uuid = jsc_value_object_get_property(value, "uuid");
  g_autofree char* uuidText = jsc_value_to_string(uuid);
  g_object_unref(uuid);
  const std::string reply = "window.__reply({\"uuid\": \"" + std::string(uuidText) +
                            "\", \"success\": true, \"result\": \"2025.2\"})";
  webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(view), reply.c_str(), -1, nullptr, nullptr,
                                      nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  std::ifstream in(argv[2]);
  gPage.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (mode == "asset" && argc > 3) {
    gchar* data = nullptr;
    gsize size = 0;
    if (!g_file_get_contents(argv[3], &data, &size, nullptr)) return 1;
    gAsset = g_bytes_new_take(data, size);
  }
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  WebKitWebContext* context = webkit_web_context_get_default();
  webkit_web_context_register_uri_scheme(context, "bench", ServePage, nullptr, nullptr);
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  GtkWidget* view = webkit_web_view_new_with_user_content_manager(content);
  if (mode == "roundtrip" || mode == "asset") {
    g_signal_connect(content, "script-message-received::bench", G_CALLBACK(MessageReceived), view);
    webkit_user_content_manager_register_script_message_handler(content, "bench");
  }
  g_signal_connect(view, "notify::title", G_CALLBACK(TitleChanged), window);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_container_add(GTK_CONTAINER(window), view);
  gtk_widget_show_all(window);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), "bench:///index.html");
  gtk_main();
  return 0;
}
