// zel_win_fake_installer: stands for the browser runtime's installer. Appends
// its arguments to the file named by ZEL_FAKE_INSTALLER_LOG (when set) and
// exits with the code after "/exit" (default 0), after ZEL_FAKE_INSTALLER_MS
// milliseconds when that is set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  int code = 0;
  char log[MAX_PATH] = {};
  if (GetEnvironmentVariableA("ZEL_FAKE_INSTALLER_LOG", log, MAX_PATH) > 0) {
    if (FILE* f = std::fopen(log, "a")) {
      for (int i = 1; i < argc; ++i) std::fprintf(f, i > 1 ? " %s" : "%s", argv[i]);
      std::fputc('\n', f);
      std::fclose(f);
    }
  }
  char ms[32] = {};
  if (GetEnvironmentVariableA("ZEL_FAKE_INSTALLER_MS", ms, sizeof ms) > 0)
    Sleep(static_cast<DWORD>(std::atoi(ms)));
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "/exit") == 0) code = std::atoi(argv[i + 1]);
  return code;
}
