#include "platform/linux/GtkMenus.h"

#include <algorithm>

#include "core/MenuItems.h"
#include "platform/linux/GtkCommon.h"

namespace zel::gtk {

namespace {

// Bigger sources are refused before their pixels are allocated: a small
// compressed file can claim gigapixels.
constexpr int kMaxSourcePixels = 4096 * 4096;

struct TLoaderSize {
  int Size;
};

void OnSizePrepared(GdkPixbufLoader* loader, int width, int height, gpointer data) {
  const int size = static_cast<TLoaderSize*>(data)->Size;
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxSourcePixels) {
    // A zero size makes the loader fail before it allocates.
    gdk_pixbuf_loader_set_size(loader, 0, 0);
    return;
  }
  // Fit the box, keeping the proportions.
  const double f = std::min(static_cast<double>(size) / width, static_cast<double>(size) / height);
  gdk_pixbuf_loader_set_size(loader, std::max(1, static_cast<int>(width * f + 0.5)),
                             std::max(1, static_cast<int>(height * f + 0.5)));
}

constexpr const char* kImageKey = "zel-image";

int MenuIconSize() {
  int w = 16, h = 16;
  gtk_icon_size_lookup(GTK_ICON_SIZE_MENU, &w, &h);
  return std::max(w, h);
}

}  // namespace

GdkPixbuf* MenuItemImage(GtkWidget* Item) {
  return static_cast<GdkPixbuf*>(g_object_get_data(G_OBJECT(Item), kImageKey));
}

GdkPixbuf* DecodeIconImage(const std::string& Data, int Size) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  TLoaderSize size{Size};
  g_signal_connect(loader, "size-prepared", G_CALLBACK(OnSizePrepared), &size);
  GError* error = nullptr;
  const bool written = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(Data.data()),
                                               Data.size(), &error);
  // Close in any case; a truncated file errors here and still leaves a
  // partial pixbuf, which is no image.
  const bool closed = gdk_pixbuf_loader_close(loader, written ? &error : nullptr);
  GdkPixbuf* pixbuf = nullptr;
  if (written && closed && !error) pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
  if (pixbuf) g_object_ref(pixbuf);
  g_clear_error(&error);
  g_object_unref(loader);
  return pixbuf;
}

TGtkMenuPeer::TGtkMenuPeer(GtkMenuShell* Shell, IMenuEvents& Events)
    : FShell(GTK_MENU_SHELL(g_object_ref_sink(Shell))), FEvents(Events) {
  FScale = std::max(1, gtk_widget_get_scale_factor(GTK_WIDGET(FShell)));
}

TGtkMenuPeer::~TGtkMenuPeer() {
  Clear();
  ClearImages();
  g_object_unref(FShell);
}

void TGtkMenuPeer::Clear() {
  for (auto& [key, entry] : FItems) g_signal_handlers_disconnect_by_data(entry.Item, this);
  FItems.clear();
  GList* children = gtk_container_get_children(GTK_CONTAINER(FShell));
  for (GList* c = children; c; c = c->next) gtk_widget_destroy(GTK_WIDGET(c->data));
  g_list_free(children);
}

GtkWidget* TGtkMenuPeer::MakeItem(const TMenuItemView& Item) {
  if (IsSeparatorCaption(Item.Caption)) return gtk_separator_menu_item_new();
  GtkWidget* item = gtk_menu_item_new();
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  if (Item.ImageIndex >= 0 && Item.ImageIndex < static_cast<int>(FImages.size())) {
    // Disabled items show their image in grey, as the label is; GTK dims
    // only icons it loads itself.
    GdkPixbuf* pixbuf = gdk_pixbuf_copy(FImages[Item.ImageIndex]);
    if (!Item.Enabled) gdk_pixbuf_saturate_and_pixelate(pixbuf, pixbuf, 0.0f, FALSE);
    cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(pixbuf, FScale, nullptr);
    GtkWidget* image = gtk_image_new_from_surface(surface);
    if (!Item.Enabled) gtk_widget_set_opacity(image, 0.6);
    gtk_container_add(GTK_CONTAINER(box), image);
    cairo_surface_destroy(surface);
    g_object_set_data_full(G_OBJECT(item), kImageKey, pixbuf, g_object_unref);
  }
  GtkWidget* label = gtk_label_new_with_mnemonic(UnderscoreMnemonicCaption(Item.Caption).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_container_add(GTK_CONTAINER(box), label);
  gtk_container_add(GTK_CONTAINER(item), box);
  gtk_widget_show_all(box);
  // The item's child is a box, so accessibility would not find the text.
  atk_object_set_name(gtk_widget_get_accessible(item), CaptionWithoutMark(Item.Caption).c_str());
  gtk_widget_set_sensitive(item, Item.Enabled);
  return item;
}

void TGtkMenuPeer::AddItem(int ParentKey, const TMenuItemView& Item) {
  GtkMenuShell* shell = FShell;
  if (ParentKey != 0) {
    const auto parent = FItems.find(ParentKey);
    if (parent == FItems.end()) return;
    shell = GTK_MENU_SHELL(gtk_menu_item_get_submenu(GTK_MENU_ITEM(parent->second.Item)));
    if (!shell) return;
  }
  GtkWidget* item = MakeItem(Item);
  if (Item.HasSubmenu) {
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), gtk_menu_new());
  } else {
    // GTK also activates items that open a submenu; only leaves click.
    g_object_set_data(G_OBJECT(item), "zel-key", GINT_TO_POINTER(Item.Key));
    g_signal_connect(item, "activate", G_CALLBACK(OnActivate), this);
  }
  gtk_menu_shell_append(shell, item);
  gtk_widget_show(item);
  FItems[Item.Key] = {item, Item};
  if (OnChanged) OnChanged();
}

void TGtkMenuPeer::UpdateItem(const TMenuItemView& Item) {
  const auto found = FItems.find(Item.Key);
  if (found == FItems.end()) return;
  TEntry& entry = found->second;
  // A new widget in the old one's place, keeping the submenu and handler.
  GtkWidget* old = entry.Item;
  GtkWidget* parent = gtk_widget_get_parent(old);
  GList* siblings = gtk_container_get_children(GTK_CONTAINER(parent));
  const int position = g_list_index(siblings, old);
  g_list_free(siblings);
  GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(old));
  if (submenu) {
    g_object_ref(submenu);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(old), nullptr);
  }
  g_signal_handlers_disconnect_by_data(old, this);
  gtk_widget_destroy(old);
  GtkWidget* item = MakeItem(Item);
  if (submenu) {
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), submenu);
    g_object_unref(submenu);
  } else if (!Item.HasSubmenu) {
    g_object_set_data(G_OBJECT(item), "zel-key", GINT_TO_POINTER(Item.Key));
    g_signal_connect(item, "activate", G_CALLBACK(OnActivate), this);
  }
  gtk_menu_shell_insert(GTK_MENU_SHELL(parent), item, position);
  gtk_widget_show(item);
  entry = {item, Item};
  if (OnChanged) OnChanged();
}

bool TGtkMenuPeer::AddImage(const std::string& Data) {
  GdkPixbuf* pixbuf = DecodeIconImage(Data, MenuIconSize() * FScale);
  if (!pixbuf) return false;
  FImages.push_back(pixbuf);
  return true;
}

void TGtkMenuPeer::ClearImages() {
  for (GdkPixbuf* p : FImages) g_object_unref(p);
  FImages.clear();
}

void TGtkMenuPeer::OnActivate(GtkMenuItem* item, gpointer self) {
  const int key = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "zel-key"));
  Guarded([&] { static_cast<TGtkMenuPeer*>(self)->FEvents.MenuItemClick(key); });
}

TGtkMenuBarPeer::TGtkMenuBarPeer(GtkBox* Content, IMenuEvents& Events)
    : TGtkMenuPeer(GTK_MENU_SHELL(gtk_menu_bar_new()), Events) {
  GtkWidget* bar = GTK_WIDGET(Shell());
  gtk_box_pack_start(Content, bar, FALSE, FALSE, 0);
  gtk_box_reorder_child(Content, bar, 0);
  gtk_widget_show(bar);
}

TGtkMenuBarPeer::~TGtkMenuBarPeer() {
  Clear();
  gtk_widget_destroy(GTK_WIDGET(Shell()));
}

}  // namespace zel::gtk
