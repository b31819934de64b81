import QtQuick

// "LOADING ......", blinking while the view is locked.
Text {
    id: indicator
    property bool running: false

    visible: running
    text: "LOADING ......"
    color: "#ffffff"
    style: Text.Outline
    styleColor: "#000000"
    font { family: "DejaVu Sans"; pixelSize: 20; bold: true; letterSpacing: 3 }

    SequentialAnimation on opacity {
        running: indicator.running
        loops: Animation.Infinite
        NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
        NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
    }
}
