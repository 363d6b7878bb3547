"""A fake D-Bus service for the end-to-end tests.

usage: fake_dbus_service.py ADDRESS NAME PATH INTERFACE_XML LOG READY

Connects to the bus at ADDRESS, exports the interface at PATH, owns NAME,
answers every method with empty results (zero, false, "" or empty arrays for
its out arguments) and appends each call to LOG as a JSON line
[method, [args...]]. READY is created once the name is owned."""

import json
import sys

from gi.repository import Gio, GLib

address, name, path, xml, log, ready = sys.argv[1:7]
node = Gio.DBusNodeInfo.new_for_xml(xml)
interface = node.interfaces[0]


DEFAULTS = {"b": False, "s": "", "o": "/", "g": "", "a": [], "d": 0.0}


def default(signature):
    if signature.startswith("a{"):
        return {}
    return DEFAULTS.get(signature[0], 0)


def on_call(connection, sender, obj, iface, method, params, invocation):
    with open(log, "a") as f:
        f.write(json.dumps([method, params.unpack()]) + "\n")
    info = interface.lookup_method(method)
    outs = [a.signature for a in info.out_args]
    if outs:
        invocation.return_value(GLib.Variant("(" + "".join(outs) + ")",
                                             tuple(default(s) for s in outs)))
    else:
        invocation.return_value(None)


connection = Gio.DBusConnection.new_for_address_sync(
    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
    Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
connection.register_object(path, interface, on_call, None, None)
loop = GLib.MainLoop()


def acquired(*_):
    open(ready, "w").close()


Gio.bus_own_name_on_connection(connection, name, Gio.BusNameOwnerFlags.NONE, acquired,
                               lambda *_: loop.quit())
loop.run()
