#!/usr/bin/python3
"""A native Wayland window (GTK 3, GDK_BACKEND=wayland) that logs every key and button it gets.

Each line of the log, flushed at once: `key press|release KEYNAME SHIFT TIME`,
`button press|release N X Y TIME`, `motion X Y BUTTONS` (X and Y in the window's pixels,
BUTTONS the numbers of the buttons held, joined by commas, or `-`) and `focus in|out`, with
TIME in milliseconds on the monotonic clock; `ready` once the window is shown.
"""
import sys
import time

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

log = open(sys.argv[1], "a", buffering=1)


def now_ms():
    return f"{time.clock_gettime(time.CLOCK_MONOTONIC) * 1000:.3f}"


def on_key(_, event):
    kind = "press" if event.type == Gdk.EventType.KEY_PRESS else "release"
    shift = 1 if event.state & Gdk.ModifierType.SHIFT_MASK else 0
    log.write(f"key {kind} {Gdk.keyval_name(event.keyval)} {shift} {now_ms()}\n")
    return True


def on_button(_, event):
    kind = "press" if event.type == Gdk.EventType.BUTTON_PRESS else "release"
    log.write(f"button {kind} {event.button} {int(event.x)} {int(event.y)} {now_ms()}\n")
    return True


def on_motion(_, event):
    masks = ((1, Gdk.ModifierType.BUTTON1_MASK), (2, Gdk.ModifierType.BUTTON2_MASK),
             (3, Gdk.ModifierType.BUTTON3_MASK))
    held = ",".join(str(n) for n, mask in masks if event.state & mask) or "-"
    log.write(f"motion {int(event.x)} {int(event.y)} {held}\n")
    return True


def on_focus(_, event):
    log.write(f"focus {'in' if event.in_ else 'out'}\n")
    return False


window = Gtk.Window(title=sys.argv[2] if len(sys.argv) > 2 else "keyweave target")
window.set_default_size(1280, 800)
window.add_events(Gdk.EventMask.BUTTON_PRESS_MASK | Gdk.EventMask.BUTTON_RELEASE_MASK |
                  Gdk.EventMask.POINTER_MOTION_MASK)
window.connect("key-press-event", on_key)
window.connect("key-release-event", on_key)
window.connect("button-press-event", on_button)
window.connect("button-release-event", on_button)
window.connect("motion-notify-event", on_motion)
window.connect("focus-in-event", on_focus)
window.connect("focus-out-event", on_focus)
window.connect("destroy", Gtk.main_quit)
window.show_all()
GLib.idle_add(lambda: log.write("ready\n") and False)
Gtk.main()
