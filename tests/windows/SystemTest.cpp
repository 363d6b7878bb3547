// ports/System.h on Windows, against the real system (run under Wine in CI).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Paths.h"
#include "platform/windows/WinStr.h"
#include "ports/System.h"
#include "tests/windows/TestUtil.h"

namespace zel {
namespace {

using wintest::TTempDir;

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

TEST(WinSystemTest, ExecutablePathNamesThisProgram) {
  EXPECT_EQ(sys::PathDelim(), '\\');
  const std::string path = sys::GetExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(path.ends_with("\\zel_windows_tests.exe")) << path;
  EXPECT_TRUE(std::filesystem::exists(ToFsPath(path))) << path;
}

// The program started anew with a command line of our own; GetCommandLineArgs
// must split it by the host's rules and deliver UTF-8.
TEST(WinSystemTest, CommandLineArgsAreSplitAndDecoded) {
  struct TCase {
    std::wstring Tail;
    std::vector<std::string> Expected;
  };
  const TCase cases[] = {
      {L"", {}},
      {L"one two", {"one", "two"}},
      {L"\"with space\"  \"\"", {"with space", ""}},
      // Backslashes are plain characters, also before a quote.
      {L"x\\y \"a\\\\\" C:\\dir\\ \"p q\\\"", {"x\\y", "a\\\\", "C:\\dir\\", "p q\\"}},
      {L"Gr\u00FC\u00DFe \u4E2D\u6587 \U0001F600",
       {"Gr\xC3\xBC\xC3\x9F"
        "e",
        "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80"}},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    const std::filesystem::path out = dir.Path() / "args.bin";
    std::wstring commandLine = L"\"" + win::Widen(sys::GetExecutablePath()) +
                               L"\" --print-args \"" + out.wstring() + L"\" " + c.Tail;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(out, std::ios::binary);
    std::vector<std::string> args;
    for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
    std::vector<std::string> expected{"--print-args", FromFsPath(out)};
    expected.insert(expected.end(), c.Expected.begin(), c.Expected.end());
    EXPECT_EQ(args, expected) << win::Narrow(c.Tail);
  }
}

TEST(WinSystemTest, EnvironmentRoundTrips) {
  const std::pair<std::string, std::string> cases[] = {
      {"ZEL_TEST_PLAIN", "value"},
      {"ZEL_TEST_UNICODE",
       "Gr\xC3\xBC\xC3\x9F"
       "e \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80"},
      {"ZEL_TEST_LONG", std::string(5000, 'x')},
      {"ZEL_TEST_\xC3\x84", "name outside ASCII"},
  };
  for (const auto& [name, value] : cases) {
    sys::SetEnv(name, value);
    EXPECT_EQ(sys::GetEnv(name), value) << name;
    // The process environment itself changed, which the browser runtime reads.
    wchar_t buf[16] = {};
    EXPECT_GT(GetEnvironmentVariableW(win::Widen(name).c_str(), buf, 16), 0u) << name;
    sys::UnsetEnv(name);
    EXPECT_EQ(sys::GetEnv(name), "") << name;
    EXPECT_EQ(GetEnvironmentVariableW(win::Widen(name).c_str(), buf, 16), 0u) << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND)) << name;
  }
}

TEST(WinSystemTest, LanguageCodeIsIso639) {
  const std::string code = sys::GetUserLanguageCode();
  ASSERT_GE(code.size(), 2u);
  ASSERT_LE(code.size(), 3u);
  for (char c : code) EXPECT_TRUE(c >= 'a' && c <= 'z') << code;
}

TEST(WinSystemTest, DecodeAnsiFollowsTheCodePage) {
  EXPECT_EQ(sys::DecodeAnsi(""), "");
  EXPECT_EQ(sys::DecodeAnsi("plain ASCII\r\n"), "plain ASCII\r\n");
  // Whatever the code page, each byte of a single-byte page decodes to valid text.
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string decoded = sys::DecodeAnsi(all);
  EXPECT_FALSE(decoded.empty());
  EXPECT_EQ(win::Narrow(win::Widen(decoded)), decoded);
  if (GetACP() == 1252) {
    EXPECT_EQ(sys::DecodeAnsi("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  }
}

TEST(WinSystemTest, MappedFileShowsTheWholeFile) {
  TTempDir dir;
  std::string bytes;
  for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7);
  const struct {
    const char* Name;
    std::string Content;
  } files[] = {{"empty.bin", ""},
               {"one.bin", "x"},
               {"big.bin", bytes},
               {"\xC3\xBC"
                "ber \xE4\xB8\xAD.bin",
                "unicode name"}};
  for (const auto& f : files) {
    const std::filesystem::path path = dir.Path() / ToFsPath(f.Name);
    WriteFile(path, f.Content);
    auto mapped = sys::TMappedFile::Open(FromFsPath(path));
    ASSERT_TRUE(mapped) << f.Name;
    const auto view = mapped->Bytes();
    ASSERT_EQ(view.size(), f.Content.size()) << f.Name;
    EXPECT_TRUE(std::equal(view.begin(), view.end(), f.Content.begin(), [](std::byte a, char b) {
      return a == static_cast<std::byte>(b);
    })) << f.Name;
  }
  EXPECT_FALSE(sys::TMappedFile::Open(FromFsPath(dir.Path() / "missing.bin")));
  EXPECT_FALSE(sys::TMappedFile::Open(dir.Utf8()));  // a folder
}

TEST(WinSystemTest, MappedFileLetsOthersWriteAndReadsTheRunningProgram) {
  TTempDir dir;
  const std::filesystem::path path = dir.Path() / "shared.bin";
  WriteFile(path, "0123456789");
  auto mapped = sys::TMappedFile::Open(FromFsPath(path));
  ASSERT_TRUE(mapped);
  // Another writer may open the file while it is mapped (the packager appends
  // to executables that may be running).
  HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

  auto self = sys::TMappedFile::Open(sys::GetExecutablePath());
  ASSERT_TRUE(self);
  ASSERT_GT(self->Bytes().size(), 2u);
  EXPECT_EQ(self->Bytes()[0], std::byte{'M'});
  EXPECT_EQ(self->Bytes()[1], std::byte{'Z'});
}

TEST(WinSystemTest, InstanceNameIsClaimedOnce) {
  const std::string unique =
      "zel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
  EXPECT_EQ(sys::ClaimInstanceName(unique), sys::TInstanceClaim::Created);
  EXPECT_EQ(sys::ClaimInstanceName(unique), sys::TInstanceClaim::AlreadyExists);
  // Names are the configured AppID as written: letter case counts.
  EXPECT_EQ(sys::ClaimInstanceName(unique + "-\xC3\xA4"), sys::TInstanceClaim::Created);
  // A backslash names a kernel namespace; an unknown one cannot be claimed.
  EXPECT_EQ(sys::ClaimInstanceName("NoSuchNamespace\\" + unique), sys::TInstanceClaim::Failed);
  // The claim is held even though nobody keeps a handle: a look-up finds it.
  HANDLE probe = OpenMutexW(SYNCHRONIZE, FALSE, win::Widen(unique).c_str());
  EXPECT_TRUE(probe);
  if (probe) CloseHandle(probe);
}

TEST(WinSystemTest, DynLibLoadsByFullPath) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::string kernel32 = win::Narrow(system) + "\\kernel32.dll";
  auto lib = sys::TDynLib::Load(kernel32);
  ASSERT_TRUE(lib) << kernel32;
  EXPECT_EQ(
      lib->Symbol("GetTickCount64"),
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  EXPECT_EQ(lib->Symbol("NoSuchExport"), nullptr);
  TTempDir dir;
  EXPECT_FALSE(sys::TDynLib::Load(dir.Utf8() + "\\missing.dll"));
  WriteFile(dir.Path() / "garbage.dll", "not a library");
  EXPECT_FALSE(sys::TDynLib::Load(dir.Utf8() + "\\garbage.dll"));
}

TEST(WinSystemTest, WaitOrTerminateProcessEndsAHangingChild) {
  std::wstring commandLine = L"\"" + win::Widen(sys::GetExecutablePath()) + L"\" --sleep 60000";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  CloseHandle(pi.hThread);
  const ULONGLONG start = GetTickCount64();
  sys::WaitOrTerminateProcess(pi.dwProcessId, 200);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
  EXPECT_LT(GetTickCount64() - start, 10000u);
  CloseHandle(pi.hProcess);
  // A process that no longer exists is no error.
  sys::WaitOrTerminateProcess(pi.dwProcessId, 10);
}

}  // namespace
}  // namespace zel
