// Runs the runtime tests: GTK on the display, the environment variables the
// host would set, and (in sanitizer builds) the sanitizer runtime preloaded
// into WebKit's helper processes, which load our library too.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" void __asan_init() __attribute__((weak));
extern "C" void __tsan_init() __attribute__((weak));

namespace {

bool Preload(void (*symbol)()) {
  Dl_info info{};
  if (!symbol || !dladdr(reinterpret_cast<void*>(symbol), &info) || !info.dli_fname) return false;
  setenv("LD_PRELOAD", info.dli_fname, 1);
  return true;
}

// The options are read by the children only: this process parsed its own at
// start.
void PreloadSanitizerForChildren() {
  if (Preload(&__asan_init)) setenv("ASAN_OPTIONS", "detect_leaks=0:halt_on_error=1", 1);
  // All of WebKit's helper processes inherit the preload; only the web
  // process runs our library, on its main thread. Reports there would be
  // about WebKit's own synchronisation, which the sanitizer cannot see.
  if (Preload(&__tsan_init)) setenv("TSAN_OPTIONS", "report_bugs=0", 1);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  PreloadSanitizerForChildren();
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-userdata-XXXXXX").string();
  std::filesystem::path userData = mkdtemp(pattern.data());
  setenv("WEBVIEW2_USER_DATA_FOLDER", userData.c_str(), 1);
  setenv("WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS",
         "--autoplay-policy=no-user-gesture-required --lang=en", 1);
  if (!gtk_init_check(&argc, &argv)) {
    fprintf(stderr, "no display: run under xvfb-run\n");
    return 1;
  }
  int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(userData, ignored);
  return result;
}
