# A stand-in for gnome-session's inhibitors on a bare shell's session bus (a headless shell runs
# without gnome-session): org.gnome.SessionManager at /org/gnome/SessionManager answers
# IsInhibited(flags) and announces InhibitorAdded / InhibitorRemoved as gnome-session does. One
# command a line on stdin: "inhibit" holds an idle inhibitor (flag 8), "release" lets it go; each
# is answered "ok" on stdout once done. "ready" on stdout once the name is owned.
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.gnome.SessionManager"
PATH = "/org/gnome/SessionManager"
INHIBITOR = "/org/gnome/SessionManager/Inhibitor1"
IDLE = 8


class Manager(dbus.service.Object):
    flags = 0

    @dbus.service.method(NAME, in_signature="u", out_signature="b")
    def IsInhibited(self, flags):
        return bool(self.flags & flags)

    @dbus.service.signal(NAME, signature="o")
    def InhibitorAdded(self, path):
        pass

    @dbus.service.signal(NAME, signature="o")
    def InhibitorRemoved(self, path):
        pass


def command(source, condition):
    line = sys.stdin.readline()
    if not line:
        loop.quit()
        return False
    if line.strip() == "inhibit":
        manager.flags = IDLE
        manager.InhibitorAdded(INHIBITOR)
    elif line.strip() == "release":
        manager.flags = 0
        manager.InhibitorRemoved(INHIBITOR)
    print("ok", flush=True)
    return True


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName(NAME, bus)
manager = Manager(bus, PATH)
loop = GLib.MainLoop()
GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
print("ready", flush=True)
loop.run()
