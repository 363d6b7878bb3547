#include "platform/linux/GtkFileDialog.h"

#include <gtk/gtk.h>

#include "core/Paths.h"
#include "platform/linux/GtkCommon.h"

namespace zel::gtk {

std::string CaseInsensitiveGlob(const std::string& mask) {
  std::string glob;
  for (const char c : mask) {
    const bool lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z';
    if (!lower && !upper) {
      glob += c;
      continue;
    }
    glob += '[';
    glob += static_cast<char>(lower ? c - 32 : c);
    glob += static_cast<char>(lower ? c : c + 32);
    glob += ']';
  }
  return glob;
}

bool TGtkFileDialog::Execute() {
  if (!EnsureGtk()) return false;
  const GtkFileChooserAction action = FKind == TFileDialogKind::Save ? GTK_FILE_CHOOSER_ACTION_SAVE
                                      : FKind == TFileDialogKind::Folder
                                          ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER
                                          : GTK_FILE_CHOOSER_ACTION_OPEN;
  const char* accept = FKind == TFileDialogKind::Save     ? "_Save"
                       : FKind == TFileDialogKind::Folder ? "_Select"
                                                          : "_Open";
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(FTitle.c_str(), ActiveWindow(), action, "_Cancel",
                                  GTK_RESPONSE_CANCEL, accept, GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FOverwritePrompt);
  for (const auto& [name, mask] : FTypes) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, name.c_str());
    gtk_file_filter_add_pattern(filter, CaseInsensitiveGlob(mask).c_str());
    gtk_file_chooser_add_filter(chooser, filter);
  }
  // The file-name box starts with the given name; a path also chooses the
  // folder. Without one the dialog opens where the last choice was made,
  // or in the home folder (GTK's "Recent" view cannot confirm a folder).
  const std::string folder = ExtractFilePath(FFileName);
  const std::string name = FFileName.substr(folder.size());
  const std::string start = !folder.empty()    ? folder
                            : !FFolder.empty() ? FFolder
                                               : g_get_home_dir();
  gtk_file_chooser_set_current_folder(chooser, start.c_str());
  if (!name.empty() && FKind == TFileDialogKind::Save)
    gtk_file_chooser_set_current_name(chooser, name.c_str());
  else if (!name.empty() && FKind == TFileDialogKind::Open)
    gtk_file_chooser_set_filename(chooser, FFileName.c_str());

  const bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
  if (accepted) {
    gchar* chosen = gtk_file_chooser_get_filename(chooser);
    FFileName = chosen ? chosen : "";
    g_free(chosen);
    if (gchar* current = gtk_file_chooser_get_current_folder(chooser)) {
      FFolder = current;
      g_free(current);
    }
  }
  gtk_widget_destroy(dialog);
  return accepted && !FFileName.empty();
}

}  // namespace zel::gtk
