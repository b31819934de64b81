// Tells stryla-config which window has the focus, for GNOME Shell 45 and later (ES modules;
// stryla-config-43@korvane.example serves 43 and 44).
//
// While enabled, the extension owns example.korvane.StrylaConfig.Shell on the session bus and
// exports /example/korvane/StrylaConfig/Shell: Focused() and Windows() describe windows as
// { id, wmClass, appId (the desktop file's name), pid (0 when unknown), title }, and the signal
// FocusChanged carries the newly focused one (empty when none). Nothing else is read or done.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

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
    constructor() {
        this._object = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
        this._object.export(Gio.DBus.session, kPath);
        this._focusId = global.display.connect('notify::focus-window', () => {
            this._object.emit_signal('FocusChanged',
                new GLib.Variant('(a{sv})', [describe(global.display.focus_window)]));
        });
        this._nameId = Gio.bus_own_name_on_connection(Gio.DBus.session, kBusName,
            Gio.BusNameOwnerFlags.NONE, null, null);
    }

    destroy() {
        Gio.bus_unown_name(this._nameId);
        global.display.disconnect(this._focusId);
        this._object.unexport();
    }

    Focused() {
        return describe(global.display.focus_window);
    }

    Windows() {
        // Later Shells keep the list of window actors on the compositor object.
        const actors = typeof global.get_window_actors === 'function'
            ? global.get_window_actors() : global.compositor.get_window_actors();
        return actors.map(actor => describe(actor.get_meta_window()));
    }
}

export default class StrylaFocusExtension extends Extension {
    enable() {
        this._export = new FocusExport();
    }

    disable() {
        this._export.destroy();
        this._export = null;
    }
}
