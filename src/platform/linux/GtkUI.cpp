#include "platform/linux/GtkUI.h"

#include "platform/linux/GtkCommon.h"

#include <stdexcept>

#include "platform/linux/GtkFileDialog.h"
#include "platform/linux/GtkForms.h"
#include "platform/linux/GtkMenus.h"
#include "platform/linux/GtkTray.h"

namespace zel::gtk {

TGtkUI::TGtkUI() : FUIThread(std::this_thread::get_id()) {}

std::unique_ptr<IFormPeer> TGtkUI::CreateForm(IFormEvents& Events) {
  if (!EnsureGtk()) throw std::runtime_error("cannot open the display");
  return std::make_unique<TGtkFormPeer>(Events);
}

std::unique_ptr<IBrowserFormPeer> TGtkUI::CreateBrowserForm(IFormPeer& Parent) {
  return std::make_unique<TGtkBrowserFormPeer>(static_cast<TGtkFormPeer&>(Parent));
}

std::unique_ptr<IBrowserHostPeer> TGtkUI::CreateBrowserHost(IBrowserFormPeer& Parent,
                                                            IControlEvents& Events) {
  return std::make_unique<TGtkBrowserHostPeer>(static_cast<TGtkBrowserFormPeer&>(Parent), Events);
}

std::unique_ptr<IFileDialogPeer> TGtkUI::CreateFileDialog(TFileDialogKind Kind) {
  return std::make_unique<TGtkFileDialog>(Kind);
}

std::unique_ptr<IMenuPeer> TGtkUI::CreateMenuBar(IFormPeer& Form, IMenuEvents& Events) {
  return std::make_unique<TGtkMenuBarPeer>(static_cast<TGtkFormPeer&>(Form).Content(), Events);
}

std::unique_ptr<ITrayIconPeer> TGtkUI::CreateTrayIcon(const std::string& Hint, IFormPeer* Window,
                                                      ITrayIconEvents& Events) {
  return std::make_unique<TGtkTrayIcon>(Hint, static_cast<TGtkFormPeer*>(Window), Events);
}

int TGtkUI::MessageDialog(const TMessageDialogParams& Params) {
  if (!EnsureGtk()) return mrNone;
  GtkMessageType type = GTK_MESSAGE_OTHER;
  switch (Params.DlgType) {
    case TMsgDlgType::mtWarning:
      type = GTK_MESSAGE_WARNING;
      break;
    case TMsgDlgType::mtError:
      type = GTK_MESSAGE_ERROR;
      break;
    case TMsgDlgType::mtInformation:
      type = GTK_MESSAGE_INFO;
      break;
    case TMsgDlgType::mtConfirmation:
      type = GTK_MESSAGE_QUESTION;
      break;
    case TMsgDlgType::mtCustom:
      type = GTK_MESSAGE_OTHER;
      break;
  }
  GtkWidget* dialog = gtk_message_dialog_new(ActiveWindow(), GTK_DIALOG_MODAL, type,
                                             GTK_BUTTONS_NONE, "%s", Params.Message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), Params.Title.c_str());
  // GTK 3 no longer draws the type's icon by itself.
  const char* icon = type == GTK_MESSAGE_ERROR      ? "dialog-error"
                     : type == GTK_MESSAGE_WARNING  ? "dialog-warning"
                     : type == GTK_MESSAGE_QUESTION ? "dialog-question"
                     : type == GTK_MESSAGE_INFO     ? "dialog-information"
                                                    : nullptr;
  if (icon) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG);
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog), image);
    gtk_widget_show(image);
    G_GNUC_END_IGNORE_DEPRECATIONS
    gtk_window_set_icon_name(GTK_WINDOW(dialog), icon);
  }
  bool hasCancel = false;
  for (const TMessageDialogButton& b : Params.Buttons) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), b.Caption.c_str(), b.ModalResult);
    hasCancel = hasCancel || b.ModalResult == mrCancel;
  }
  if (!Params.Buttons.empty())
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), Params.Buttons.front().ModalResult);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  // Escape and the close button answer Cancel.
  if (response < 0) return hasCancel || response == GTK_RESPONSE_DELETE_EVENT ? mrCancel : mrNone;
  return response;
}

void TGtkUI::Queue(std::function<void()> Fn) {
  if (std::this_thread::get_id() == FUIThread) {
    Guarded(Fn);
    return;
  }
  auto* call = new std::function<void()>(std::move(Fn));
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        Guarded(*static_cast<std::function<void()>*>(data));
        return G_SOURCE_REMOVE;
      },
      call, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void TGtkUI::SetApplicationTitle(const std::string& Title) {
  g_set_application_name(Title.c_str());
}

void TGtkUI::Run() {
  if (FTerminated || !EnsureGtk()) return;
  FRunning = true;
  gtk_main();
  FRunning = false;
}

void TGtkUI::Terminate() {
  FTerminated = true;
  if (FRunning) gtk_main_quit();
}

}  // namespace zel::gtk
