# One process that holds a connection to a GNOME session's bus and acts on it, one command a
# line from stdin, one answer a line ("ok ..." or "error ...") on stdout. It keeps what the
# compositor gives only to the connection that asked: the remote-desktop session that carries
# input, and the name under which gnome-shell takes screenshots.
#   key KEYSYM...          presses the keys in order, then releases them in reverse (a chord);
#                          keysyms in hex (0xff1b Escape, 0xffeb Super_L, 0xffe9 Alt_L)
#   move DX DY             moves the pointer by DX, DY
#   click                  presses and releases the left button
#   shot X Y W H FILE      the stage's area as a binary PPM
#   overview true|false    opens or closes gnome-shell's overview
#   get-overview           "ok true" or "ok false"
#   pixel X Y              "ok rrggbb": the stage's pixel there
#   permission ANSWER      stores the user's answer (GRANTED or DENIED) to the shell's question
#                          whether vorthane may hold back shortcuts, as the shell's dialog does
#   monitors N             keeps the first N monitors on, side by side (the others off), as the
#                          display settings do
#   lock                   takes the name org.gnome.ScreenSaver, if nobody has it, and announces
#                          ActiveChanged(true) under it, as a session that locks does
import atexit
import os
import sys
import tempfile

import dbus
import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf  # noqa: E402

bus = dbus.SessionBus()
# gnome-shell answers screenshot requests only from the screenshot tool's name.
bus.request_name("org.gnome.Screenshot")
remote = None
pixel_file = tempfile.mkstemp(suffix=".ppm")[1]
atexit.register(os.unlink, pixel_file)


def remote_session():
    global remote
    if remote is None:
        desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
        path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
        remote = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                                "org.gnome.Mutter.RemoteDesktop.Session")
        remote.Start()
    return remote


def shell_properties():
    return dbus.Interface(bus.get_object("org.gnome.Shell", "/org/gnome/Shell"),
                          "org.freedesktop.DBus.Properties")


def shot(x, y, w, h, path):
    screenshot = dbus.Interface(bus.get_object("org.gnome.Shell.Screenshot",
                                               "/org/gnome/Shell/Screenshot"),
                                "org.gnome.Shell.Screenshot")
    fd, png = tempfile.mkstemp(suffix=".png")
    os.close(fd)
    try:
        done, _ = screenshot.ScreenshotArea(x, y, w, h, False, png)
        if not done:
            return "error the shell took no screenshot"
        image = GdkPixbuf.Pixbuf.new_from_file(png)
    finally:
        os.unlink(png)
    width, height = image.get_width(), image.get_height()
    stride, channels = image.get_rowstride(), image.get_n_channels()
    data = image.get_pixels()
    with open(path, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (width, height))
        for row in range(height):
            line = data[row * stride: row * stride + width * channels]
            if channels == 3:
                out.write(line)
            else:
                pixels = bytearray(width * 3)
                pixels[0::3] = line[0::4]
                pixels[1::3] = line[1::4]
                pixels[2::3] = line[2::4]
                out.write(pixels)
    return "ok %dx%d" % (width, height)


def monitors(keep):
    config = dbus.Interface(bus.get_object("org.gnome.Mutter.DisplayConfig",
                                           "/org/gnome/Mutter/DisplayConfig"),
                            "org.gnome.Mutter.DisplayConfig")
    serial, all_monitors, _, _ = config.GetCurrentState()
    logical, x = [], 0
    for i, ((connector, _, _, _), modes, _) in enumerate(all_monitors[:keep]):
        mode = ([m for m in modes if m[6].get("is-current")] or
                [m for m in modes if m[6].get("is-preferred")] or modes)[0]
        logical.append((dbus.Int32(x), dbus.Int32(0), dbus.Double(1.0), dbus.UInt32(0), i == 0,
                        [(connector, mode[0], {})]))
        x += int(mode[1])
    config.ApplyMonitorsConfig(serial, dbus.UInt32(1), logical, {})  # 1: until changed again
    return "ok"


def lock():
    if bus.request_name("org.gnome.ScreenSaver", dbus.bus.NAME_FLAG_DO_NOT_QUEUE) not in (
            dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER, dbus.bus.REQUEST_NAME_REPLY_ALREADY_OWNER):
        return "error org.gnome.ScreenSaver has another owner"
    signal = dbus.lowlevel.SignalMessage("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver",
                                         "ActiveChanged")
    signal.append(True, signature="b")
    bus.send_message(signal)
    bus.flush()
    return "ok"


def run(words):
    if words[0] == "key":
        keys = [int(k, 16) for k in words[1:]]
        for k in keys:
            remote_session().NotifyKeyboardKeysym(dbus.UInt32(k), True)
        for k in reversed(keys):
            remote_session().NotifyKeyboardKeysym(dbus.UInt32(k), False)
        return "ok"
    if words[0] == "move":
        remote_session().NotifyPointerMotionRelative(float(words[1]), float(words[2]))
        return "ok"
    if words[0] == "click":
        remote_session().NotifyPointerButton(0x110, True)  # BTN_LEFT
        remote_session().NotifyPointerButton(0x110, False)
        return "ok"
    if words[0] == "shot":
        return shot(int(words[1]), int(words[2]), int(words[3]), int(words[4]), words[5])
    if words[0] == "pixel":
        answer = shot(int(words[1]), int(words[2]), 1, 1, pixel_file)
        if not answer.startswith("ok"):
            return answer
        with open(pixel_file, "rb") as f:
            return "ok " + f.read()[-3:].hex()
    if words[0] == "overview":
        shell_properties().Set("org.gnome.Shell", "OverviewActive", words[1] == "true")
        return "ok"
    if words[0] == "get-overview":
        return "ok " + str(bool(shell_properties().Get("org.gnome.Shell", "OverviewActive"))).lower()
    if words[0] == "permission":
        store = dbus.Interface(bus.get_object("org.freedesktop.impl.portal.PermissionStore",
                                              "/org/freedesktop/impl/portal/PermissionStore"),
                               "org.freedesktop.impl.portal.PermissionStore")
        store.SetPermission("gnome", True, "shortcuts-inhibitor", "vorthane.desktop", [words[1]])
        return "ok"
    if words[0] == "monitors":
        return monitors(int(words[1]))
    if words[0] == "lock":
        return lock()
    return "error unknown command " + words[0]


print("ok ready", flush=True)
for line in sys.stdin:
    words = line.split()
    if not words:
        continue
    try:
        answer = run(words)
    except dbus.DBusException as e:
        answer = "error " + e.get_dbus_message().replace("\n", " ")
    print(answer, flush=True)
