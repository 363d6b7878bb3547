// zelpack new: a starter application that runs as it is with `zelpack run`.
#include <filesystem>
#include <iostream>
#include <string_view>

#include "Pack.h"
#include "core/FileSystem.h"
#include "core/Paths.h"

namespace zel::resources {
extern const std::string_view ZEL_TYPESCRIPT_DECLARATIONS;
}

namespace fs = std::filesystem;

namespace zel::pack {

namespace {

constexpr std::string_view kIni =
    R"(; The application's configuration. ID, Name and DirName are required; every
; other key is shown with its default, commented out.
[App]
ID=my.first.app
Name=My First App
DirName=app
;IndexHtml=index.html
;Width=800
;Height=600
;Top=50
;Left=50
;MinWidth=0
;MinHeight=0
;MaxWidth=0
;MaxHeight=0
; 0 centres the window; any other value lets the system place it
;WindowPosition=0
; 1 full screen (no border, maximised)
;WindowStyle=0
; 0 none, 1 single, 2 sizeable, 3 dialog, 4 tool window, 5 sizeable tool window
;WindowBorder=2
; 1 maximised
;WindowState=0
; 1 stays on top
;WindowOrder=0
; 1 makes the window's title follow the page's
;DynamicAppTitle=0
; 1 allows several instances at once
;AllowInstances=0
; 1 enables the developer tools (F12 or Ctrl+Shift+I)
;AllowDebug=0
;AllowZoom=0
;AllowContextMenu=0
; one of zel.themes.getThemes()
;Theme=Windows
; asked for before the window opens when not empty
;Password=
; extra switches of the browser process (WebView2 on Windows)
;WebviewArguments=
; when the browser runtime is missing: 1 offers to install it, 0 only reports
;EdgeInstaller=1
;InstallFormColor=$FF00001A
;InstallIndicatorColor=1
;InstallIndicatorType=0
)";

constexpr std::string_view kIndexHtml = R"(<!DOCTYPE html>
<html>
<head>
  <meta charset="utf-8">
  <title>My First App</title>
  <style>
    body { font: 15px system-ui, sans-serif; margin: 2em; }
    button { font: inherit; padding: .4em 1em; }
  </style>
</head>
<body>
  <h1>Hello from Zel</h1>
  <p>Host version: <b id="version">…</b></p>
  <p><button id="save">Save a note to my documents</button> <span id="saved"></span></p>
  <script>
    // window.zel is the host: every function returns a promise.
    zel.hello().then(v => document.getElementById("version").textContent = v);
    document.getElementById("save").onclick = async () => {
      const path = (await zel.folders.getUserDocumentsDir()) + "zel-note.txt";
      await zel.files.writeTextFile({filePath: path, contents: "Written by my first Zel app"});
      document.getElementById("saved").textContent = "saved to " + path;
    };
  </script>
</body>
</html>
)";

constexpr std::string_view kJsConfig = R"({
  "compilerOptions": {"checkJs": true, "target": "es2020"},
  "include": ["app/**/*.js", "types/zel.d.ts"]
}
)";

// Empty or missing: a new application never overwrites anything.
bool IsEmptyFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::exists(folder, ec)) return true;
  return fs::is_directory(folder, ec) &&
         fs::directory_iterator(folder, ec) == fs::directory_iterator();
}

void Write(const fs::path& folder, const std::string& name, std::string_view content) {
  const std::string path = FromFsPath(folder / ToFsPath(name));
  CreateParentFolders(path);
  if (!WriteFileAtomically(path, std::string(content)).empty())
    throw std::runtime_error("cannot write " + path);
}

}  // namespace

int NewApplication(const std::string& folder) {
  const fs::path root = ToFsPath(folder);
  if (!IsEmptyFolder(root)) throw std::runtime_error(folder + " is not an empty folder");
  Write(root, "zel.ini", kIni);
  Write(root, "app/index.html", kIndexHtml);
  Write(root, "types/zel.d.ts", resources::ZEL_TYPESCRIPT_DECLARATIONS);
  Write(root, "jsconfig.json", kJsConfig);
  std::cout << "Created " << folder << ". Run it with: zelpack run " << folder << '\n';
  return 0;
}

}  // namespace zel::pack
