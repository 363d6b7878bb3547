// TSysUtils and the registry's content types on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "core/StrUtils.h"
#include "platform/windows/MimeLookup.h"
#include "platform/windows/WinStr.h"
#include "ports/SysUtils.h"
#include "tests/windows/TestUtil.h"

namespace zel {
namespace {

using wintest::TTempDir;
using wintest::WaitUntil;

TEST(WinSysUtilsTest, FoldersEndWithOneBackslashAndExist) {
  const struct {
    const char* Name;
    std::string Path;
  } folders[] = {
      {"LocalAppData", TSysUtils::GetLocalAppDataDirPath()},
      {"Temp", TSysUtils::GetTempDirPath()},
      {"Desktop", TSysUtils::GetUserDesktopDirPath()},
      {"Documents", TSysUtils::GetUserDocumentsDirPath()},
      {"AppData", TSysUtils::GetUserAppDataDirPath()},
  };
  for (const auto& f : folders) {
    ASSERT_GE(f.Path.size(), 4u) << f.Name;
    EXPECT_EQ(f.Path.back(), '\\') << f.Name;
    EXPECT_NE(f.Path[f.Path.size() - 2], '\\') << f.Name << ": " << f.Path;
    EXPECT_TRUE(std::filesystem::is_directory(ToFsPath(f.Path))) << f.Name << ": " << f.Path;
  }
  EXPECT_NE(TSysUtils::GetLocalAppDataDirPath(), TSysUtils::GetUserAppDataDirPath());
}

TEST(WinSysUtilsTest, TempFolderIsTheLongForm) {
  const std::string temp = TSysUtils::GetTempDirPath();
  EXPECT_EQ(temp.find('~'), std::string::npos) << temp;
  EXPECT_TRUE(std::filesystem::is_directory(ToFsPath(temp))) << temp;
  wchar_t raw[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, raw), 0u);
  // Without short names in the variable the long form is the same text.
  if (!wcschr(raw, L'~')) {
    EXPECT_EQ(_wcsicmp(win::Widen(temp).c_str(), raw), 0) << temp;
  }
}

TEST(WinSysUtilsTest, DeleteDirectoryRemovesTheWholeTree) {
  TTempDir parent;
  const std::filesystem::path root = parent.Path() / ToFsPath("tree \xC3\xA4");
  std::filesystem::create_directories(root / "sub" / "deeper");
  std::ofstream(root / "a.txt") << "a";
  std::ofstream(root / "sub" / "b.txt") << "b";
  std::ofstream(root / "sub" / "deeper" / "c.txt") << "c";
  // Read-only files go as well.
  SetFileAttributesW((root / "a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(TSysUtils::DeleteDirectory(FromFsPath(root)));
  EXPECT_FALSE(std::filesystem::exists(root));
  EXPECT_TRUE(std::filesystem::exists(parent.Path()));
  EXPECT_FALSE(TSysUtils::DeleteDirectory(FromFsPath(root)));
}

TEST(WinSysUtilsTest, ShellExecStartsProgramsAndReportsFailure) {
  TTempDir dir;
  const std::filesystem::path marker = dir.Path() / "started.txt";
  const std::string args = "/c echo started> \"" + FromFsPath(marker) + "\"";
  ASSERT_TRUE(TSysUtils::ShellExec("cmd.exe", args));
  EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(marker); }, 20000));
  EXPECT_FALSE(TSysUtils::ShellExec(dir.Utf8() + "\\no such program.exe", ""));
}

// The exit code comes from the ended process, even 259 (STILL_ACTIVE), which
// a wait that polls the exit code would take for "still running".
TEST(WinSysUtilsTest, ShellExecAsAdminAndWaitReturnsTheExitCode) {
  for (int code : {0, 3, 259}) {
    EXPECT_EQ(TSysUtils::ShellExecAsAdminAndWait("cmd.exe", "/c exit " + std::to_string(code)),
              code);
  }
  TTempDir dir;
  EXPECT_EQ(TSysUtils::ShellExecAsAdminAndWait(dir.Utf8() + "\\no such program.exe", ""), 0);
}

// A library that is not a runtime loader, and no library at all, both mean
// no runtime.
TEST(WinSysUtilsTest, CheckEdgeIsInstalledWithoutALoader) {
  TTempDir dir;
  EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir.Utf8() + "\\none.dll"));
  EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(dir.Utf8()));
  EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled("kernel32.dll"));
  const std::filesystem::path empty = dir.Path() / "empty.dll";
  std::ofstream(empty).close();
  EXPECT_FALSE(TSysUtils::CheckEdgeIsInstalled(FromFsPath(empty)));
}

// An extension registered as an installer would. (Writes to HKEY_CLASSES_ROOT
// land in the user's own classes on Windows; Wine keeps them machine-wide.)
class TRegisteredExtension {
 public:
  TRegisteredExtension(const std::wstring& ext, const std::wstring& type) : FKey(L"." + ext) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, FKey.c_str(), L"Content Type", REG_SZ, type.c_str(),
                    static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t)));
  }
  ~TRegisteredExtension() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, FKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, FKey.c_str());
  }

 private:
  std::wstring FKey;
};

TEST(WinMimeLookupTest, RegistryAnswersWhatTheTableLacks) {
  const TRegisteredExtension registered(L"zeltest", L"application/x-zel-test");
  const TRegisteredExtension longType(L"zellong", std::wstring(300, L'y'));
  EXPECT_EQ(win::RegistryMimeType("zeltest"), "application/x-zel-test");
  EXPECT_EQ(win::RegistryMimeType("zellong"), std::string(300, 'y'));
  EXPECT_EQ(win::RegistryMimeType("zel-no-such-extension"), "");
  EXPECT_EQ(win::RegistryMimeType(""), "");

  win::InstallSystemMimeLookup();
  EXPECT_EQ(TStrUtils::GetFileMIMEType("C:\\x\\file.ZELTEST"), "application/x-zel-test");
  // The built-in table keeps the last word for the web's own types.
  EXPECT_EQ(TStrUtils::GetFileMIMEType("index.html"), "text/html");
  EXPECT_EQ(TStrUtils::GetFileMIMEType("file.zel-no-such-extension"), "application/octet-stream");
  TStrUtils::SetSystemMimeLookup(nullptr);
}

}  // namespace
}  // namespace zel
