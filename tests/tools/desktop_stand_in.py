#!/usr/bin/python3
"""desktop_stand_in.py plasma|portal RECORD: a desktop service on the session bus for
the integration tests, answering the one call the suite makes, creating
RECORD.ready once it owns its name. plasma refuses a script evaluateScript gets
(if not empty) while RECORD.refuse exists and never answers while RECORD.hang
does; portal writes SetWallpaperFile's file to RECORD, its options to
RECORD.options, and answers the request with success.
"""
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

SERVICES = {
    "plasma": ("org.kde.plasmashell", "/PlasmaShell", "<node><interface name='org.kde.PlasmaShell'>"
               "<method name='evaluateScript'><arg type='s' direction='in'/><arg type='s' direction='out'/></method>"),
    "portal": ("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
               "<node><interface name='org.freedesktop.portal.Wallpaper'><method name='SetWallpaperFile'>"
               "<arg type='s' direction='in'/><arg type='h' direction='in'/><arg type='a{sv}' direction='in'/>"
               "<arg type='o' direction='out'/></method>"),
}


def write(path, mode, data):
    with open(path, mode) as f:
        f.write(data)


def call(bus, sender, _path, _interface, method, parameters, invocation):
    if method == "evaluateScript":
        if os.path.exists(record + ".hang"):
            return None
        if parameters.unpack()[0] and os.path.exists(record + ".refuse"):
            return invocation.return_dbus_error("org.kde.plasmashell.Error", "refused by the stand-in")
        return invocation.return_value(GLib.Variant("(s)", ("",)))
    with os.fdopen(invocation.get_message().get_unix_fd_list().get(parameters.unpack()[1]), "rb") as picture:
        write(record, "wb", picture.read())
    options = parameters.get_child_value(2)
    write(record + ".options", "wb", (options.print_(False) + "\n").encode())
    token = options.unpack().get("handle_token", "t")
    request = f"/org/freedesktop/portal/desktop/request/{sender[1:].replace('.', '_')}/{token}"
    invocation.return_value(GLib.Variant("(o)", (request,)))
    bus.emit_signal(sender, request, "org.freedesktop.portal.Request", "Response", GLib.Variant("(ua{sv})", (0, {})))


if sys.argv[1:2] not in (["plasma"], ["portal"]) or len(sys.argv) != 3:
    sys.exit("usage: desktop_stand_in.py plasma|portal RECORD")
name, path, xml = SERVICES[sys.argv[1]]
record = sys.argv[2]
interface = Gio.DBusNodeInfo.new_for_xml(xml + "</interface></node>").interfaces[0]
loop = GLib.MainLoop()
Gio.bus_own_name(Gio.BusType.SESSION, name, Gio.BusNameOwnerFlags.NONE,
                 lambda bus, _name: bus.register_object(path, interface, call, None, None),
                 lambda _bus, _name: write(record + ".ready", "wb", b""), lambda _bus, _name: loop.quit())
loop.run()
sys.exit(1)
