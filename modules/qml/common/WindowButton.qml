import QtQuick

// A square icon button of the title bar.
Rectangle {
    id: button
    property string glyph: ""
    property color hoverColor: "#3c3c3c"
    signal clicked()

    width: 32
    height: 28
    radius: 4
    color: area.containsMouse ? hoverColor : "transparent"

    Text {
        anchors.centerIn: parent
        text: button.glyph
        color: "#d1d1d1"
        font { family: "DejaVu Sans"; pixelSize: 14 }
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.clicked()
    }
}
