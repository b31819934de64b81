import QtQuick

// The title bar of the frameless window: logo, device name, minimise and close.
Item {
    id: bar
    height: 56
    property string title: ""
    signal minimizeClicked()
    signal closeClicked()

    Image {
        id: logo
        anchors { left: parent.left; leftMargin: 24; verticalCenter: parent.verticalCenter }
        source: "qrc:/modules/img/logo.svg"
        sourceSize: Qt.size(32, 32)
    }
    Text {
        anchors { left: logo.right; leftMargin: 12; verticalCenter: parent.verticalCenter }
        text: bar.title
        color: "#ffffff"
        font { family: "DejaVu Sans"; pixelSize: 16; bold: true; letterSpacing: 2 }
    }
    Row {
        anchors { right: parent.right; rightMargin: 16; verticalCenter: parent.verticalCenter }
        spacing: 4
        WindowButton { glyph: "\u2013"; onClicked: bar.minimizeClicked() }
        WindowButton { glyph: "\u2715"; hoverColor: "#b20808"; onClicked: bar.closeClicked() }
    }
    Rectangle {
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom; leftMargin: 16; rightMargin: 16 }
        height: 1
        color: "#3c3c3c"
    }
}
