// Runs the runtime tests: GTK on the display, the environment variables the
// host would set, and (in sanitizer builds) the sanitizer runtime preloaded
// into WebKit's helper processes, which load our library too.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <filesystem>

extern "C" void __asan_init() __attribute__((weak));

namespace {

void PreloadSanitizerForChildren() {
  if (!&__asan_init) return;
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&__asan_init), &info) || !info.dli_fname) return;
  // Read by the children only: this process parsed its options at start.
  setenv("LD_PRELOAD", info.dli_fname, 1);
  setenv("ASAN_OPTIONS", "detect_leaks=0:halt_on_error=1", 1);
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
