// The test's own hand on GNOME Shell 43, which gives a newly mapped window of a headless
// session no focus by itself: Activate(wmClass) focuses the first window of that class and
// says whether there was one. Exported on the Shell's own bus name.
'use strict';

const { Gio } = imports.gi;

const kInterface = `<node>
  <interface name="example.korvane.StrylaTest">
    <method name="Activate">
      <arg name="wmClass" type="s" direction="in"/>
      <arg name="found" type="b" direction="out"/>
    </method>
  </interface>
</node>`;

class TestHand {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
        this._object.export(Gio.DBus.session, '/example/korvane/StrylaTest');
    }

    disable() {
        this._object.unexport();
    }

    Activate(wmClass) {
        for (const actor of global.get_window_actors()) {
            const window = actor.get_meta_window();
            if (window.get_wm_class() === wmClass) {
                window.activate(global.get_current_time());
                return true;
            }
        }
        return false;
    }
}

function init() {
    return new TestHand();
}
