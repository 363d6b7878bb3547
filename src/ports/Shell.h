// The desktop services behind zel.shell: opening programs, documents and
// addresses, showing an item in the file manager, running a command through
// the command interpreter and listing the titles of the desktop's windows.
// The platform's IUI hands out the real one; tests install a fake.
#pragma once

#include <string>
#include <vector>

namespace zel {

class IShell {
 public:
  virtual ~IShell() = default;
  // Opens FilePath (a program, document, folder or address) with the
  // desktop's "open" action, Arguments for a program. On failure Error holds
  // the system's message.
  virtual bool Execute(const std::string& FilePath, const std::string& Arguments,
                       std::string& Error) = 0;
  // Shows FilePath selected in a file-manager window.
  virtual bool Explore(const std::string& FilePath, std::string& Error) = 0;
  // Runs CommandLine through the command interpreter in WorkingDir (empty:
  // the current folder) and returns what it wrote to standard output and
  // standard error; empty when it cannot start.
  virtual std::string Command(const std::string& CommandLine, const std::string& WorkingDir,
                              bool ShowWindow) = 0;
  // The titles of the top-level windows, top of the Z order first.
  virtual std::vector<std::string> WindowTitles() = 0;
};

}  // namespace zel
