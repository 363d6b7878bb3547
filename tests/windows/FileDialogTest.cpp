// The common item dialogs, driven from a second thread as a person would:
// type into the file-name box, press the dialog's buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/windows/Win32UI.h"
#include "platform/windows/WinStr.h"
#include "tests/windows/TestUtil.h"
#include "tests/windows/WindowTexts.h"

namespace zel {
namespace {

using wintest::TControlText;

struct TDriven {
  std::vector<std::wstring> Texts;
};

// Answers the dialog titled `title`: types `typed` into its file-name box and
// confirms, or cancels when `typed` is empty.
TDriven Drive(const std::wstring& title, const std::wstring& typed) {
  TDriven seen;
  HWND dialog = wintest::WaitForTopLevelWindow(title, 10000);
  if (!dialog) return seen;
  HWND nameBox = nullptr;
  for (const TControlText& c : wintest::ControlTexts(dialog)) {
    seen.Texts.push_back(c.Text);
    if (!nameBox && c.ClassName == L"Edit" && GetParent(c.Handle) == dialog) nameBox = c.Handle;
  }
  if (typed.empty() || !nameBox) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return seen;
  }
  SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return seen;
}

bool Shows(const TDriven& d, const std::wstring& text) {
  return std::find(d.Texts.begin(), d.Texts.end(), text) != d.Texts.end();
}

class WinFileDialogTest : public testing::Test {
 protected:
  // Runs the dialog with a driver answering it; returns Execute's result.
  bool Run(IFileDialogPeer& dialog, const std::string& title, const std::wstring& typed,
           TDriven* seen = nullptr) {
    TDriven driven;
    std::thread driver([&] { driven = Drive(win::Widen(title), typed); });
    const bool confirmed = dialog.Execute();
    driver.join();
    if (seen) *seen = driven;
    return confirmed;
  }
  win::TWin32UI FUI;
  wintest::TTempDir FDir;
};

TEST_F(WinFileDialogTest, SaveReturnsTheTypedPathAndKeepsItsSettings) {
  auto dialog = FUI.CreateFileDialog(TFileDialogKind::Save);
  dialog->SetTitle("Zel save \xC3\xBC");
  dialog->AddFileType("Text files", "*.txt");
  dialog->AddFileType("All files", "*.*");
  const std::string target = FDir.Utf8() + "\\new \xC3\xA4.txt";
  TDriven seen;
  ASSERT_TRUE(Run(*dialog, "Zel save \xC3\xBC", win::Widen(target), &seen));
  EXPECT_EQ(dialog->FileName(), target);
  EXPECT_TRUE(Shows(seen, L"Text files")) << "the first type is selected";

  // Cancelling keeps the last choice; the title and types stay for the next use.
  EXPECT_FALSE(Run(*dialog, "Zel save \xC3\xBC", L"", &seen));
  EXPECT_EQ(dialog->FileName(), target);
  EXPECT_TRUE(Shows(seen, L"Text files"));
  dialog->ClearFileTypes();
  EXPECT_FALSE(Run(*dialog, "Zel save \xC3\xBC", L"", &seen));
  EXPECT_FALSE(Shows(seen, L"Text files"));
}

TEST_F(WinFileDialogTest, OpenReturnsAnExistingFile) {
  const std::filesystem::path existing = FDir.Path() / "there.txt";
  std::ofstream(existing) << "x";
  auto dialog = FUI.CreateFileDialog(TFileDialogKind::Open);
  dialog->SetTitle("Zel open");
  dialog->SetFileName("start.txt");
  TDriven seen;
  ASSERT_TRUE(Run(*dialog, "Zel open", existing.wstring(), &seen));
  EXPECT_EQ(dialog->FileName(), FromFsPath(existing));
}

TEST_F(WinFileDialogTest, FolderDialogReturnsTheFolder) {
  const std::filesystem::path folder = FDir.Path() / "chosen";
  std::filesystem::create_directories(folder);
  auto dialog = FUI.CreateFileDialog(TFileDialogKind::Folder);
  dialog->SetTitle("Zel folder");
  ASSERT_TRUE(Run(*dialog, "Zel folder", folder.wstring()));
  EXPECT_EQ(dialog->FileName(), FromFsPath(folder));
}

}  // namespace
}  // namespace zel
