import QtQuick
import "../basic"

// "LOADING ......", blinking (opacity 1.0 → 0.2 → 1.0 in 400 ms steps) while the view is
// locked.
Rectangle {
    id: indicator

    property bool running: false

    visible: running
    width: label.implicitWidth + 48
    height: 44
    radius: 22
    color: Qt.rgba(0, 0, 0, 0.72)
    border.color: root.colorGray1

    Accessible.role: Accessible.StatusBar
    Accessible.name: label.text

    UiText {
        id: label
        anchors.centerIn: parent
        text: "LOADING ......"
        font.pixelSize: root.fontMaxSize + 2
        font.bold: true
        font.letterSpacing: 3
        Accessible.ignored: true

        SequentialAnimation on opacity {
            running: indicator.running
            loops: Animation.Infinite
            alwaysRunToEnd: false
            NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
            NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
        }
    }
}
