# A screenshot of KWin's active screen at its native resolution, as a binary PPM, through KWin's
# D-Bus screenshot interface (the compositor must run with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1).
# Usage: kwin_shot.py BUS_ADDRESS OUT.ppm
import os, sys, dbus, threading
bus = dbus.bus.BusConnection(sys.argv[1])
shot = bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
r, w = os.pipe()
data = []
def reader():
    with os.fdopen(r, "rb") as f:
        data.append(f.read())
t = threading.Thread(target=reader); t.start()
meta = shot.CaptureActiveScreen({"native-resolution": True, "include-cursor": False},
                                dbus.types.UnixFd(w), dbus_interface="org.kde.KWin.ScreenShot2")
os.close(w)
t.join()
width, height, stride, fmt = int(meta["width"]), int(meta["height"]), int(meta["stride"]), int(meta["format"])
raw = data[0]
if fmt not in (4, 5, 6):  # QImage's 32-bit formats: B, G, R, A bytes in memory
    sys.exit("unexpected image format %d" % fmt)
with open(sys.argv[2], "wb") as out:
    out.write(b"P6\n%d %d\n255\n" % (width, height))
    for y in range(height):
        row = raw[y * stride: y * stride + width * 4]
        px = bytearray(width * 3)
        px[0::3] = row[2::4]; px[1::3] = row[1::4]; px[2::3] = row[0::4]
        out.write(px)
