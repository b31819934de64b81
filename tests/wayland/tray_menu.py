#!/usr/bin/python3
"""Plays the tray of a StatusNotifierItem desktop (Plasma, GNOME's AppIndicator extension,
swaybar) against the program's tray icon on the session bus: finds the item through the
watcher, opens its menu over the dbusmenu interface and lists or clicks its entries.

usage: tray_menu.py list             one line per entry: "<label>|<toggle-state>"
       tray_menu.py click LABEL      clicks the first entry with that label
       tray_menu.py context          asks the item for its menu, as swaybar's right-click does
Exits 1 with a line on stderr when there is no item, no menu or no such entry."""
import sys

from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(service, path, interface, method, args, reply):
    return bus.call_sync(service, path, interface, method, args, GLib.VariantType(reply),
                         Gio.DBusCallFlags.NONE, 5000, None).unpack()


def prop(service, path, interface, name):
    return call(service, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (interface, name)), "(v)")[0]


def item_address():
    items = prop("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                 "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems")
    if not items:
        sys.exit("no tray item is registered")
    service, _, path = items[0].partition("/")
    return service, "/" + path


def menu_address():
    service, path = item_address()
    return service, prop(service, path, "org.kde.StatusNotifierItem", "Menu")


def entries(service, menu):
    call(service, menu, "com.canonical.dbusmenu", "AboutToShow", GLib.Variant("(i)", (0,)), "(b)")
    _, layout = call(service, menu, "com.canonical.dbusmenu", "GetLayout",
                     GLib.Variant("(iias)", (0, -1, [])), "(u(ia{sv}av))")
    for child in layout[2]:
        ident, props, _ = child
        if props.get("type") != "separator" and props.get("visible", True):
            yield ident, props.get("label", ""), props.get("toggle-state", -1)


def main():
    if sys.argv[1:2] == ["context"]:
        service, path = item_address()
        call(service, path, "org.kde.StatusNotifierItem", "ContextMenu",
             GLib.Variant("(ii)", (1200, 10)), "()")
        return
    service, menu = menu_address()
    if sys.argv[1:2] == ["list"]:
        for _, label, state in entries(service, menu):
            print(f"{label}|{state}")
        return
    if sys.argv[1:2] == ["click"] and len(sys.argv) == 3:
        for ident, label, _ in entries(service, menu):
            if label == sys.argv[2]:
                call(service, menu, "com.canonical.dbusmenu", "Event",
                     GLib.Variant("(isvu)", (ident, "clicked", GLib.Variant("i", 0), 0)), "()")
                return
        sys.exit(f"no entry '{sys.argv[2]}'")
    sys.exit(__doc__)


main()
