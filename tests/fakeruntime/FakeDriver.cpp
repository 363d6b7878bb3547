// The fake runtime's own driver for end-to-end runs (see FakeDriver.h).
#include "FakeDriver.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

#include "FakeObjects.h"

namespace zel::fake {

namespace {

struct TDriver {
  bool Loaded = false;  // the script has been read
  std::string LogPath;
  std::mutex LogLock;  // the host's worker thread logs too
  std::deque<std::string> Messages;
  std::map<std::string, std::string> Reactions;  // script text -> message
  std::deque<std::string> Navigations;
  std::string PageUri;
  bool PageReady = false, Busy = false, Waiting = false;
};

TDriver& Driver() {
  static TDriver driver;
  return driver;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool ReadScript(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  TDriver& d = Driver();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#') continue;
    const auto arrow = line.find(" => ");
    if (line.rfind("when ", 0) == 0 && arrow != std::string::npos)
      d.Reactions[Trim(line.substr(5, arrow - 5))] = Trim(line.substr(arrow + 4));
    else
      d.Messages.push_back(line);
  }
  return true;
}

bool Exists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

std::string TitleOf(const std::string& html) {
  const auto open = html.find("<title>");
  const auto close = html.find("</title>");
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return html.substr(open + 7, close - open - 7);
}

// A navigation as a browser makes it: the host may cancel it, then the page
// is requested (the host answers from its package), then it completes.
void LoadPage(const std::string& uri) {
  IFakeRuntime& rt = *ZelFakeRuntime();
  TDriver& d = Driver();
  if (rt.RaiseNavigationStarting(uri)) {
    DriverRecord("navigation-cancelled " + uri);
    return;
  }
  rt.SetSource(uri);
  const TResponse r = rt.RaiseWebResourceRequested(uri);
  if (r.Set) {
    DriverRecord("resource " + uri + " " + std::to_string(r.Status) + " " + r.Reason);
    DriverRecord("headers " + r.Headers);
    DriverRecord("body " + r.Body);
  } else {
    DriverRecord("resource " + uri + " unanswered");
  }
  const bool ok = r.Set && r.Status == 200;
  if (ok) rt.RaiseDocumentTitleChanged(TitleOf(r.Body));
  // 7: COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE, as for a missing file.
  rt.RaiseNavigationCompleted(ok, ok ? 0 : 7);
  d.PageUri = uri;
  d.PageReady = ok;
  DriverRecord("navigated " + uri);
}

// The next script line: a message, or a wait for a file.
void Advance(TDriver& d) {
  const std::string line = d.Messages.front();
  if (line.rfind("await ", 0) == 0) {
    if (!Exists(line.substr(6))) {
      if (!d.Waiting) DriverRecord("awaiting " + line.substr(6));
      d.Waiting = true;
      return;
    }
    d.Waiting = false;
    d.Messages.pop_front();
    DriverRecord("resumed " + line.substr(6));
  } else {
    d.Messages.pop_front();
    DriverRecord("send " + line);
    ZelFakeRuntime()->RaiseWebMessage(d.PageUri, line);
  }
  if (d.Messages.empty()) DriverRecord("script-done");
}

void Tick() {
  TDriver& d = Driver();
  if (d.Busy) return;  // a modal loop inside an event dispatches ticks too
  struct TBusy {
    bool& Flag;
    ~TBusy() { Flag = false; }
  } busy{d.Busy = true};
  ZelFakeRuntime()->RunPending();
  if (!d.Navigations.empty()) {
    const std::string uri = d.Navigations.front();
    d.Navigations.pop_front();
    LoadPage(uri);
  } else if (d.PageReady && !d.Messages.empty()) {
    Advance(d);
  }
}

}  // namespace

void DriverStart() {
  TDriver& d = Driver();
  if (d.Loaded) return StartTicks(Tick);
  const char* script = std::getenv("ZEL_FAKE_SCRIPT");
  if (!script || !*script) return;
  if (const char* log = std::getenv("ZEL_FAKE_LOG")) {
    std::lock_guard guard(d.LogLock);
    d.LogPath = log;
  }
  d.Loaded = true;
  DriverRecord(ReadScript(script) ? "driver-started" : std::string("script-unreadable ") + script);
  StartTicks(Tick);
}

void DriverStop() {
  if (!Driver().Loaded) return;
  DriverRecord("driver-stopped");
  StopTicks();
}

void DriverNavigate(const std::string& uri) {
  if (Driver().Loaded) Driver().Navigations.push_back(uri);
}

void DriverScript(const std::string& js) {
  TDriver& d = Driver();
  if (!d.Loaded) return;
  const auto it = d.Reactions.find(Trim(js));
  if (it == d.Reactions.end()) return;
  // Like a page script, the reaction runs later, not inside the host's call.
  State().Pending.push_back([json = it->second] {
    DriverRecord("react " + json);
    ZelFakeRuntime()->RaiseWebMessage(Driver().PageUri, json);
  });
}

void DriverRecord(const std::string& line) {
  TDriver& d = Driver();
  std::lock_guard guard(d.LogLock);
  if (d.LogPath.empty()) return;
  std::string out;
  for (char c : line) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  out += '\n';
  if (FILE* f = std::fopen(d.LogPath.c_str(), "ab")) {
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
  }
}

}  // namespace zel::fake
