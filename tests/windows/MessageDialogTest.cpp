// The modal message dialog, both the task dialog and our own, driven from a
// second thread as a person would: read the texts, press a key or a button.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "platform/windows/Win32MessageDialog.h"
#include "platform/windows/WinStr.h"
#include "tests/windows/WindowTexts.h"

namespace zel {
namespace {

using wintest::ControlTexts;
using wintest::FindButton;

enum class TAnswer { Escape, CloseBox, PressFirst, PressLast, EscapeThenPressFirst };

struct TSeen {
  std::vector<std::wstring> Texts;
  bool OpenAfterEscape = false;
};

// Waits for the dialog titled `title`, records its texts and answers it.
TSeen Drive(const std::wstring& title, const std::vector<std::wstring>& captions, TAnswer answer) {
  TSeen seen;
  HWND dialog = wintest::WaitForTopLevelWindow(title, 10000);
  if (!dialog) return seen;
  for (const wintest::TControlText& c : ControlTexts(dialog)) seen.Texts.push_back(c.Text);
  auto press = [&](const std::wstring& caption) {
    if (HWND button = FindButton(dialog, caption)) PostMessageW(button, BM_CLICK, 0, 0);
  };
  auto escape = [&] {
    HWND target = GetWindow(dialog, GW_CHILD) ? FindButton(dialog, captions.front()) : dialog;
    PostMessageW(target ? target : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(target ? target : dialog, WM_KEYUP, VK_ESCAPE, 0);
  };
  switch (answer) {
    case TAnswer::Escape:
      escape();
      break;
    case TAnswer::CloseBox:
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case TAnswer::PressFirst:
      press(captions.front());
      break;
    case TAnswer::PressLast:
      press(captions.back());
      break;
    case TAnswer::EscapeThenPressFirst:
      escape();
      PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      Sleep(500);
      seen.OpenAfterEscape = IsWindow(dialog) && IsWindowVisible(dialog);
      press(captions.front());
      break;
  }
  return seen;
}

using TShow = std::function<int(const TMessageDialogParams&, const std::string&)>;

struct TDialogCase {
  const char* Name;
  std::vector<TMessageDialogButton> Buttons;
  TAnswer Answer;
  int Expected;
};

void RunDialogCases(const TShow& show, const char* kind) {
  const TDialogCase cases[] = {
      {"escape-cancels",
       {{"Akzeptieren", mrYes}, {"Stornieren", mrCancel}},
       TAnswer::Escape,
       mrCancel},
      {"close-cancels", {{"Accept", mrYes}, {"Cancel", mrCancel}}, TAnswer::CloseBox, mrCancel},
      {"first-button", {{"Accept", mrYes}, {"Cancel", mrCancel}}, TAnswer::PressFirst, mrYes},
      {"last-button",
       {{"Yes", mrYes}, {"No", mrNo}, {"\xE5\x8F\x96\xE6\xB6\x88", mrAbort}},
       TAnswer::PressLast,
       mrAbort},
      {"no-cancel-ignores-escape", {{"Accept", mrYes}}, TAnswer::EscapeThenPressFirst, mrYes},
  };
  for (const TDialogCase& c : cases) {
    const std::string title = std::string("Zel ") + kind + " " + c.Name;
    const std::string message = "Line one \xC3\xBC\nLine two";
    std::vector<std::wstring> captions;
    for (const TMessageDialogButton& b : c.Buttons) captions.push_back(win::Widen(b.Caption));
    TSeen seen;
    std::thread driver([&] { seen = Drive(win::Widen(title), captions, c.Answer); });
    const int result = show({title, message, TMsgDlgType::mtConfirmation, c.Buttons}, "unused");
    driver.join();
    EXPECT_EQ(result, c.Expected) << title;
    for (const std::wstring& caption : captions)
      EXPECT_NE(std::find(seen.Texts.begin(), seen.Texts.end(), caption), seen.Texts.end())
          << title << ": " << win::Narrow(caption);
    const bool messageShown = std::any_of(seen.Texts.begin(), seen.Texts.end(), [&](auto& t) {
      return t.find(L"Line one \u00FC") != std::wstring::npos;
    });
    EXPECT_TRUE(messageShown) << title;
    if (c.Answer == TAnswer::EscapeThenPressFirst) {
      EXPECT_TRUE(seen.OpenAfterEscape) << title;
    }
  }
}

TEST(WinMessageDialogTest, TaskDialogShowsTheTextsAndAnswersTheModalResult) {
  RunDialogCases(&win::ShowMessageDialog, "task");
}

TEST(WinMessageDialogTest, OwnDialogShowsTheTextsAndAnswersTheModalResult) {
  RunDialogCases(&win::ShowPlainMessageDialog, "own");
}

TEST(WinMessageDialogTest, EmptyTitleUsesTheApplicationTitle) {
  std::thread driver([] { Drive(L"Zel Application", {L"OK"}, TAnswer::PressFirst); });
  const int result =
      win::ShowMessageDialog({"", "text", TMsgDlgType::mtError, {{"OK", mrOk}}}, "Zel Application");
  driver.join();
  EXPECT_EQ(result, mrOk);
}

}  // namespace
}  // namespace zel
