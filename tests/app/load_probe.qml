import QtQuick

// Records, once, what the scene could see of the program's objects when its loading finished.
Item {
    width: 320
    height: 200
    property string bridgeAtLoad: ""
    property string controlAtLoad: ""
    property string hidAtLoad: ""
    Component.onCompleted: {
        bridgeAtLoad = typeof ui_View
        controlAtLoad = typeof ui_Ctl
        hidAtLoad = typeof hid
    }
    function setProtectUI(interval) {}
}
