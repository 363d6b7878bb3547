"use strict";

const log = (text) => { document.getElementById("log").textContent = text; };
const show = (promise, describe) =>
  promise.then((r) => log(describe(r))).catch((e) => log("Error: " + e));

async function start() {
  document.getElementById("version").textContent =
    "Host version " + (await zel.hello()) + (await zel.isRuntime() ? ", packaged" : "");

  const folders = {
    "Documents": zel.folders.getUserDocumentsDir(),
    "Desktop": zel.folders.getUserDesktopDir(),
    "Temporary": zel.folders.getTempDir(),
    "Application data": zel.folders.getAppDataDir(),
    "This program": zel.folders.getAppExecutableDir(),
  };
  const list = document.getElementById("folders");
  for (const [name, promise] of Object.entries(folders)) {
    const dt = document.createElement("dt");
    const dd = document.createElement("dd");
    dt.textContent = name;
    dd.textContent = await promise;
    list.append(dt, dd);
  }

  const planets = await (await fetch("data/planets.json")).json();
  for (const p of planets) {
    const li = document.createElement("li");
    li.textContent = `${p.name}: ${p.moons} moons`;
    document.getElementById("planets").append(li);
  }
  document.title = "Zel Demo — ready";
}

const actions = {
  openFile: () => show(zel.dialogs.openFile({ title: "Open a file",
    fileTypes: "Text files|*.txt;All files|*.*" }), (p) => p ? "You chose " + p : "Cancelled."),
  saveFile: () => show(zel.dialogs.saveFile({ fileName: "note.txt", overwritePrompt: true }),
    (p) => p ? "You would save to " + p : "Cancelled."),
  selFolder: () => show(zel.dialogs.selFolder({ title: "Choose a folder" }),
    (p) => p ? "Folder: " + p : "Cancelled."),
  writeNote: async () => {
    const path = (await zel.folders.getUserDocumentsDir()) + "zel-demo-note.txt";
    show(zel.files.writeTextFile({ filePath: path,
      contents: document.getElementById("note").value }), () => "Written to " + path);
  },
  listDocuments: async () => {
    const dir = await zel.folders.getUserDocumentsDir();
    show(zel.folders.listFiles({ dirPath: dir, fileMask: "*.txt", allDirs: false }),
      (files) => files.length + " text file(s): " + files.join(", "));
  },
  extract: async () => {
    const target = (await zel.folders.getTempDir()) + "planets.json";
    show(zel.files.extractFile({ sourceFile: "/data/planets.json", targetFile: target }),
      () => "Copied to " + target);
  },
};

document.addEventListener("click", (e) => {
  const action = e.target.dataset && actions[e.target.dataset.action];
  if (action) action();
});
start().catch((e) => log("Start failed: " + e));
