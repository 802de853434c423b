#!/usr/bin/python3
"""desktop_stand_in.py plasma RECORD: Plasma's shell on the session bus for the
integration tests, answering the one call the suite makes, creating RECORD.ready
once it owns its name. It refuses a script evaluateScript gets (if not empty)
while RECORD.refuse exists and never answers while RECORD.hang does.
"""
import os
import sys

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

NAME = "org.kde.plasmashell"
PATH = "/PlasmaShell"
XML = ("<node><interface name='org.kde.PlasmaShell'>"
       "<method name='evaluateScript'><arg type='s' direction='in'/><arg type='s' direction='out'/></method>"
       "</interface></node>")


def write(path, mode, data):
    with open(path, mode) as f:
        f.write(data)


def call(_bus, _sender, _path, _interface, _method, parameters, invocation):
    if os.path.exists(record + ".hang"):
        return None
    if parameters.unpack()[0] and os.path.exists(record + ".refuse"):
        return invocation.return_dbus_error("org.kde.plasmashell.Error", "refused by the stand-in")
    return invocation.return_value(GLib.Variant("(s)", ("",)))


if sys.argv[1:2] != ["plasma"] or len(sys.argv) != 3:
    sys.exit("usage: desktop_stand_in.py plasma RECORD")
record = sys.argv[2]
interface = Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0]
loop = GLib.MainLoop()
Gio.bus_own_name(Gio.BusType.SESSION, NAME, Gio.BusNameOwnerFlags.NONE,
                 lambda bus, _name: bus.register_object(PATH, interface, call, None, None),
                 lambda _bus, _name: write(record + ".ready", "wb", b""), lambda _bus, _name: loop.quit())
loop.run()
sys.exit(1)
