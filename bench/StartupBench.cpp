// Measures how long a program takes from its start until a window with a
// given title appears, alternating between two commands, and prints the
// medians and their ratio, and the started process's resident memory (VmRSS)
// when its title showed.
//   startup_bench <runs> <title> -- <command A...> -- <command B...>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string WindowName(Display* d, Window w) {
  static const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  static const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    name.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return name;
}

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

// Resident memory of a process in MB, from /proc; 0 when unknown.
double ResidentMb(pid_t pid) {
  FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
  if (!f) return 0;
  char line[256];
  double kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atof(line + 6);
  std::fclose(f);
  return kb / 1024;
}

// Milliseconds until a window named `title` shows, or -1 after 60 s; `rss`
// gets the process's resident memory then.
double Measure(Display* d, const std::vector<char*>& argv, const std::string& title, double& rss) {
  const Window root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureNotifyMask);
  XSync(d, True);
  pid_t pid;
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  const auto start = std::chrono::steady_clock::now();
  if (posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ) != 0) return -1;
  double elapsed = -1;
  while (elapsed < 0) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > 60000) break;
    if (!XPending(d)) {
      usleep(200);
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    Window w = 0;
    if (e.type == CreateNotify) {
      XSelectInput(d, e.xcreatewindow.window, PropertyChangeMask | SubstructureNotifyMask);
      w = e.xcreatewindow.window;
    } else if (e.type == PropertyNotify) {
      w = e.xproperty.window;
    }
    if (w && WindowName(d, w) == title)
      elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
  }
  rss = ResidentMb(pid);
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  usleep(300000);  // let the processes of the run end before the next
  return elapsed;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: startup_bench <runs> <title> -- <A...> -- <B...>\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  const std::string title = argv[2];
  std::vector<char*> a, b;
  int i = 4;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) a.push_back(argv[i]);
  for (++i; i < argc; ++i) b.push_back(argv[i]);
  a.push_back(nullptr);
  b.push_back(nullptr);
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  XSetErrorHandler(IgnoreErrors);
  std::vector<double> ta, tb, ra, rb;
  for (int r = 0; r < runs; ++r) {
    double rss = 0;
    ta.push_back(Measure(d, a, title, rss));
    ra.push_back(rss);
    tb.push_back(Measure(d, b, title, rss));
    rb.push_back(rss);
    std::printf("run %d: %.1f ms / %.1f ms\n", r + 1, ta.back(), tb.back());
  }
  const double ma = Median(ta), mb = Median(tb);
  std::printf("median A %.1f ms, median B %.1f ms, ratio A/B %.3f, RSS A %.1f MB, B %.1f MB\n", ma,
              mb, mb > 0 ? ma / mb : 0, Median(ra), Median(rb));
  XCloseDisplay(d);
  return 0;
}
