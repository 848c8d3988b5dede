"""A GlobalShortcuts backend of xdg-desktop-portal for tests, as a python-dbusmock template.

It owns org.freedesktop.impl.portal.Test: each session that the portal creates becomes an
object with a Close method, and each shortcut is bound with its preferred trigger as the
trigger the desktop chose. A test activates and deactivates a shortcut with the mock's
EmitSignal (Activated and Deactivated of org.freedesktop.impl.portal.GlobalShortcuts) and
reads the calls from the mock's log.
"""
import dbus

BUS_NAME = "org.freedesktop.impl.portal.Test"
MAIN_OBJ = "/org/freedesktop/portal/desktop"
MAIN_IFACE = "org.freedesktop.impl.portal.GlobalShortcuts"
SYSTEM_BUS = False

CREATE_SESSION = """
self.AddObject(args[1], "org.freedesktop.impl.portal.Session", {}, [("Close", "", "", "")])
ret = (dbus.UInt32(0), dbus.Dictionary({}, signature="sv"))
"""

BIND_SHORTCUTS = """
bound = dbus.Array([], signature="(sa{sv})")
for shortcut_id, properties in args[2]:
    bound.append((shortcut_id, dbus.Dictionary({
        "description": properties.get("description", ""),
        "trigger_description": properties.get("preferred_trigger", ""),
    }, signature="sv")))
ret = (dbus.UInt32(0), dbus.Dictionary({"shortcuts": bound}, signature="sv"))
"""

LIST_SHORTCUTS = """
ret = (dbus.UInt32(0), dbus.Dictionary({"shortcuts": dbus.Array([], signature="(sa{sv})")},
                                       signature="sv"))
"""


def load(mock, parameters):
    del parameters
    mock.AddMethods(MAIN_IFACE, [
        ("CreateSession", "oosa{sv}", "ua{sv}", CREATE_SESSION),
        ("BindShortcuts", "ooa(sa{sv})sa{sv}", "ua{sv}", BIND_SHORTCUTS),
        ("ListShortcuts", "oo", "ua{sv}", LIST_SHORTCUTS),
    ])
    mock.AddProperties(MAIN_IFACE, {"version": dbus.UInt32(1)})
