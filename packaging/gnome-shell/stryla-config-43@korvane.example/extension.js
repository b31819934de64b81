// Tells stryla-config which window has the focus, for GNOME Shell 43 and 44 (the extension
// format before ES modules; stryla-config@korvane.example serves 45 and later).
//
// While enabled, the extension owns example.korvane.StrylaConfig.Shell on the session bus and
// exports /example/korvane/StrylaConfig/Shell: Focused() and Windows() describe windows as
// { id, wmClass, appId (the desktop file's name), pid (0 when unknown), title }, and the signal
// FocusChanged carries the newly focused one (empty when none). Nothing else is read or done.
'use strict';

const { Gio, GLib, Shell } = imports.gi;

const kBusName = 'example.korvane.StrylaConfig.Shell';
const kPath = '/example/korvane/StrylaConfig/Shell';
const kInterface = `<node>
  <interface name="example.korvane.StrylaConfig.Shell">
    <method name="Focused"><arg name="window" type="a{sv}" direction="out"/></method>
    <method name="Windows"><arg name="windows" type="aa{sv}" direction="out"/></method>
    <signal name="FocusChanged"><arg name="window" type="a{sv}"/></signal>
  </interface>
</node>`;

function describe(window) {
    if (!window)
        return {};
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    // A window without a desktop file gets an application made up for it: no app id then.
    const appId = app && !app.is_window_backed() ? app.get_id().replace(/\.desktop$/, '') : '';
    return {
        id: new GLib.Variant('s', String(window.get_id())),
        wmClass: new GLib.Variant('s', window.get_wm_class() || ''),
        appId: new GLib.Variant('s', appId),
        pid: new GLib.Variant('u', Math.max(0, window.get_pid())),
        title: new GLib.Variant('s', window.get_title() || ''),
    };
}

class FocusExport {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
        this._object.export(Gio.DBus.session, kPath);
        this._focusId = global.display.connect('notify::focus-window', () => {
            this._object.emit_signal('FocusChanged',
                new GLib.Variant('(a{sv})', [describe(global.display.focus_window)]));
        });
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, kBusName,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    disable() {
        Gio.bus_unown_name(this._nameId);
        global.display.disconnect(this._focusId);
        this._object.unexport();
        this._object = null;
    }

    Focused() {
        return describe(global.display.focus_window);
    }

    Windows() {
        return global.get_window_actors().map(actor => describe(actor.get_meta_window()));
    }
}

function init() {
    return new FocusExport();
}
