#include "host/startup/LocalizedDialogs.h"

#include <utility>

#include "core/LocalizedMessages.h"
#include "ports/System.h"

namespace zel {
namespace {

struct TStandardButton {
  TMsgDlgBtn Button;
  const char* Caption;
  int ModalResult;
};

// The framework's fixed button order.
constexpr TStandardButton kStandardButtons[] = {
    {TMsgDlgBtn::mbYes, "Yes", mrYes},
    {TMsgDlgBtn::mbNo, "No", mrNo},
    {TMsgDlgBtn::mbOK, "OK", mrOk},
    {TMsgDlgBtn::mbCancel, "Cancel", mrCancel},
    {TMsgDlgBtn::mbAbort, "Abort", mrAbort},
    {TMsgDlgBtn::mbRetry, "Retry", mrRetry},
    {TMsgDlgBtn::mbIgnore, "Ignore", mrIgnore},
    {TMsgDlgBtn::mbAll, "All", mrAll},
    {TMsgDlgBtn::mbNoToAll, "No to All", mrNoToAll},
    {TMsgDlgBtn::mbYesToAll, "Yes to All", mrYesToAll},
    {TMsgDlgBtn::mbHelp, "Help", mrHelp},
    {TMsgDlgBtn::mbClose, "Close", mrClose},
};

}  // namespace

std::string GetUserLanguageCode() {
  return sys::GetUserLanguageCode();
}

std::string GetLocalizedMessage(int Index) {
  // Range first, so a bad index never reaches the language lookup.
  LocalizedMessageFor(Index, "en");
  return LocalizedMessageFor(Index, GetUserLanguageCode());
}

int LocalizedMessageDialog(const std::string& Msg, TMsgDlgType DlgType,
                           const std::set<TMsgDlgBtn>& Buttons,
                           const std::vector<std::string>& ButtonCaptions,
                           const std::string& Title) {
  TMessageDialogParams params{Title, Msg, DlgType, {}};
  for (const TStandardButton& b : kStandardButtons) {
    if (!Buttons.contains(b.Button)) continue;
    const size_t n = params.Buttons.size();
    params.Buttons.push_back(
        {n < ButtonCaptions.size() ? ButtonCaptions[n] : b.Caption, b.ModalResult});
  }
  return UI().MessageDialog(params);
}

void ShowLocalizedError(int MessageIndex) {
  LocalizedMessageDialog(GetLocalizedMessage(MessageIndex), TMsgDlgType::mtError,
                         {TMsgDlgBtn::mbYes}, {GetLocalizedMessage(lmAcceptCaption)},
                         GetLocalizedMessage(lmErrorTitle));
}

bool AskLocalizedQuestion(int MessageIndex) {
  const int result = LocalizedMessageDialog(
      GetLocalizedMessage(MessageIndex), TMsgDlgType::mtConfirmation,
      {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbCancel},
      {GetLocalizedMessage(lmAcceptCaption), GetLocalizedMessage(lmCancelCaption)},
      GetLocalizedMessage(lmConfirmTitle));
  return result != mrCancel;
}

}  // namespace zel
