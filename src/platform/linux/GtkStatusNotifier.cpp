#include "platform/linux/GtkStatusNotifier.h"

#include <libdbusmenu-glib/server.h>
#include <libdbusmenu-gtk/menuitem.h>
#include <libdbusmenu-gtk/parser.h>
#include <unistd.h>

#include "platform/linux/GtkCommon.h"
#include "platform/linux/GtkMenus.h"

namespace zel::gtk {

namespace {

constexpr const char* kItemPath = "/StatusNotifierItem";
constexpr const char* kMenuPath = "/MenuBar";

constexpr const char* kItemXml = R"xml(<node>
 <interface name="org.kde.StatusNotifierItem">
  <property name="Category" type="s" access="read"/>
  <property name="Id" type="s" access="read"/>
  <property name="Title" type="s" access="read"/>
  <property name="Status" type="s" access="read"/>
  <property name="WindowId" type="i" access="read"/>
  <property name="IconName" type="s" access="read"/>
  <property name="IconPixmap" type="a(iiay)" access="read"/>
  <property name="IconThemePath" type="s" access="read"/>
  <property name="OverlayIconName" type="s" access="read"/>
  <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
  <property name="AttentionIconName" type="s" access="read"/>
  <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
  <property name="AttentionMovieName" type="s" access="read"/>
  <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
  <property name="ItemIsMenu" type="b" access="read"/>
  <property name="Menu" type="o" access="read"/>
  <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
  <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
  <signal name="NewTitle"/>
  <signal name="NewIcon"/>
  <signal name="NewAttentionIcon"/>
  <signal name="NewOverlayIcon"/>
  <signal name="NewToolTip"/>
  <signal name="NewStatus"><arg name="status" type="s"/></signal>
 </interface>
</node>)xml";

GDBusInterfaceInfo* ItemInterface() {
  static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kItemXml, nullptr);
  return node ? node->interfaces[0] : nullptr;
}

// One icon as (width, height, ARGB32 in network byte order).
GVariant* Pixmap(GdkPixbuf* source, int size) {
  GdkPixbuf* pixbuf = gdk_pixbuf_scale_simple(source, size, size, GDK_INTERP_BILINEAR);
  GdkPixbuf* rgba = gdk_pixbuf_add_alpha(pixbuf, FALSE, 0, 0, 0);
  g_object_unref(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(rgba);
  const guchar* pixels = gdk_pixbuf_read_pixels(rgba);
  std::string argb(static_cast<size_t>(size) * size * 4, '\0');
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const guchar* p = pixels + y * stride + x * 4;
      char* q = &argb[(static_cast<size_t>(y) * size + x) * 4];
      q[0] = static_cast<char>(p[3]);
      q[1] = static_cast<char>(p[0]);
      q[2] = static_cast<char>(p[1]);
      q[3] = static_cast<char>(p[2]);
    }
  g_object_unref(rgba);
  GVariant* bytes =
      g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, argb.data(), argb.size(), sizeof(char));
  return g_variant_new("(ii@ay)", size, size, bytes);
}

// Sets "icon-data" (PNG bytes) on the exported twin of every item with an
// image, submenus included.
void ExportImages(GtkWidget* menu) {
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* c = children; c; c = c->next) {
    GtkWidget* item = GTK_WIDGET(c->data);
    if (!GTK_IS_MENU_ITEM(item)) continue;
    DbusmenuMenuitem* exported = dbusmenu_gtk_parse_get_cached_item(item);
    GdkPixbuf* image = MenuItemImage(item);
    if (exported && image &&
        !dbusmenu_menuitem_property_exist(exported, DBUSMENU_MENUITEM_PROP_ICON_DATA))
      dbusmenu_menuitem_property_set_image(exported, DBUSMENU_MENUITEM_PROP_ICON_DATA, image);
    if (GtkWidget* submenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item))) ExportImages(submenu);
  }
  g_list_free(children);
}

// D-Bus strings must be valid UTF-8.
std::string ValidUtf8(const std::string& text) {
  char* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
  std::string out = valid;
  g_free(valid);
  return out;
}

}  // namespace

TStatusNotifierItem::TStatusNotifierItem(GtkMenu* Menu, const std::string& Title, GdkPixbuf* Icon,
                                         TActions Actions)
    : FMenu(GTK_MENU(g_object_ref(Menu))),
      FTitle(ValidUtf8(Title)),
      FIcon(Icon ? GDK_PIXBUF(g_object_ref(Icon)) : nullptr),
      FActions(std::move(Actions)) {
  FConnection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!FConnection || !ItemInterface()) return;
  static const GDBusInterfaceVTable vtable = {&OnMethod, &OnGetProperty, nullptr, {}};
  FObjectId = g_dbus_connection_register_object(FConnection, kItemPath, ItemInterface(), &vtable,
                                                this, nullptr, nullptr);
  if (!FObjectId) return;
  FMenuServer = dbusmenu_server_new(kMenuPath);
  DbusmenuMenuitem* root = dbusmenu_gtk_parse_menu_structure(GTK_WIDGET(FMenu));
  if (root) {
    dbusmenu_server_set_root(FMenuServer, root);
    g_object_unref(root);
    UpdateImages();
  }
  static int counter = 0;
  FBusName =
      "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
  FNameId = g_bus_own_name_on_connection(FConnection, FBusName.c_str(), G_BUS_NAME_OWNER_FLAGS_NONE,
                                         &OnNameAcquired, nullptr, this, nullptr);
}

TStatusNotifierItem::~TStatusNotifierItem() {
  // Releasing the name makes the watcher drop the item.
  if (FNameId) g_bus_unown_name(FNameId);
  if (FObjectId) g_dbus_connection_unregister_object(FConnection, FObjectId);
  if (FMenuServer) g_object_unref(FMenuServer);
  if (FConnection) g_object_unref(FConnection);
  if (FIcon) g_object_unref(FIcon);
  g_object_unref(FMenu);
}

void TStatusNotifierItem::OnNameAcquired(GDBusConnection*, const char*, gpointer self) {
  auto* item = static_cast<TStatusNotifierItem*>(self);
  item->FNameAcquired = true;
  item->Register();
}

void TStatusNotifierItem::Register() {
  if (!FNameAcquired) return;  // registers once the name is ours
  g_dbus_connection_call(FConnection, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                         "org.kde.StatusNotifierWatcher", "RegisterStatusNotifierItem",
                         g_variant_new("(s)", FBusName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE,
                         -1, nullptr, nullptr, nullptr);
}

void TStatusNotifierItem::UpdateImages() {
  if (FMenuServer) ExportImages(GTK_WIDGET(FMenu));
}

void TStatusNotifierItem::OnMethod(GDBusConnection*, const char*, const char*, const char*,
                                   const char* method, GVariant*, GDBusMethodInvocation* invocation,
                                   gpointer self) {
  auto* item = static_cast<TStatusNotifierItem*>(self);
  // Answer first: the actions may open a menu and run for a while.
  g_dbus_method_invocation_return_value(invocation, nullptr);
  const std::string name = method;
  Guarded([&] {
    if (name == "Activate" && item->FActions.Activate) item->FActions.Activate();
    if (name == "ContextMenu" && item->FActions.ContextMenu) item->FActions.ContextMenu();
  });
}

GVariant* TStatusNotifierItem::Pixmaps() const {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
  if (FIcon)
    for (int size : {22, 32, 48}) g_variant_builder_add_value(&builder, Pixmap(FIcon, size));
  return g_variant_builder_end(&builder);
}

GVariant* TStatusNotifierItem::OnGetProperty(GDBusConnection*, const char*, const char*,
                                             const char*, const char* property, GError**,
                                             gpointer self) {
  auto* item = static_cast<TStatusNotifierItem*>(self);
  const std::string p = property;
  if (p == "Category") return g_variant_new_string("ApplicationStatus");
  if (p == "Id") return g_variant_new_string(g_get_prgname() ? g_get_prgname() : "zel");
  if (p == "Title") return g_variant_new_string(item->FTitle.c_str());
  if (p == "Status") return g_variant_new_string("Active");
  if (p == "WindowId") return g_variant_new_int32(0);
  if (p == "IconPixmap") return item->Pixmaps();
  if (p == "OverlayIconPixmap" || p == "AttentionIconPixmap")
    return g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
  if (p == "ToolTip")
    return g_variant_new("(s@a(iiay)ss)", "", item->Pixmaps(), item->FTitle.c_str(), "");
  if (p == "ItemIsMenu") return g_variant_new_boolean(FALSE);
  if (p == "Menu") return g_variant_new_object_path(kMenuPath);
  return g_variant_new_string("");
}

}  // namespace zel::gtk
