# A window behind the saver: a plain GTK window painted one loud colour that writes the name of
# every key pressed while it has the keyboard, one a line, to the file given; it creates the file
# once it is mapped, and writes "focus" each time it gets the keyboard.
# Usage: typist.py FILE [#rrggbb]
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

path = sys.argv[1]
colour = sys.argv[2] if len(sys.argv) > 2 else "#0000ff"
log = None


def write(text):
    log.write(text + "\n")
    log.flush()


def mapped(*_):
    global log
    if log is None:
        log = open(path, "a")  # appended to, so that a test can empty it meanwhile


window = Gtk.Window(title="typist")
window.set_default_size(800, 500)
css = Gtk.CssProvider()
css.load_from_data(("window { background-color: %s; }" % colour).encode())
Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css,
                                         Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
window.connect("map-event", mapped)
window.connect("focus-in-event", lambda *_: log is not None and write("focus"))
window.connect("key-press-event",
               lambda _, e: log is not None and write(Gdk.keyval_name(e.keyval) or str(e.keyval)))
window.connect("destroy", Gtk.main_quit)
window.show_all()
Gtk.main()
