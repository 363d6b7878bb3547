"""A StatusNotifierWatcher for the tests: owns the watcher's name on the
session bus and writes every registration to the log file given as its
argument ("register <service>")."""

import sys

from gi.repository import Gio, GLib

XML = """<node><interface name="org.kde.StatusNotifierWatcher">
 <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
 <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
 <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
 <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
 <property name="ProtocolVersion" type="i" access="read"/>
 <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>"""

LOG = sys.argv[1]
items = []


def method(conn, sender, path, iface, name, params, invocation):
    if name == "RegisterStatusNotifierItem":
        service = params.unpack()[0]
        items.append(service)
        with open(LOG, "a") as f:
            f.write("register %s %s\n" % (service, sender))
    invocation.return_value(None)


def prop(conn, sender, path, iface, name):
    if name == "RegisteredStatusNotifierItems":
        return GLib.Variant("as", items)
    if name == "IsStatusNotifierHostRegistered":
        return GLib.Variant("b", True)
    return GLib.Variant("i", 0)


def acquired(conn, name):
    open(LOG, "a").close()


def bus_acquired(conn, name):
    info = Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0]
    conn.register_object("/StatusNotifierWatcher", info, method, prop, None)


Gio.bus_own_name(Gio.BusType.SESSION, "org.kde.StatusNotifierWatcher",
                 Gio.BusNameOwnerFlags.NONE, bus_acquired, acquired, None)
GLib.MainLoop().run()
