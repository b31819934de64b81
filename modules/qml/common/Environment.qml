import QtQuick
import "../basic"

// What lies behind every panel: the window's dark body with its rounded corners, the title
// bar and the title logo at (27, 12).
Item {
    id: environment

    property string title: ""

    Rectangle {
        id: background
        anchors.fill: parent
        radius: 12
        border.color: root.colorGray1
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#202228" }
            GradientStop { position: 0.55; color: "#15161a" }
            GradientStop { position: 1.0; color: "#0d0e10" }
        }
    }
    // A soft light behind the mouse, so the picture stands out of the dark.
    Image {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: 36
        source: "qrc:/modules/img/glow.svg"
        sourceSize: Qt.size(560, 560)
    }
    Rectangle {
        id: titleBar
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 1 }
        height: 55
        radius: 12
        color: "#0b0c0e"
        Rectangle {
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: 12
            color: parent.color
        }
        Rectangle {
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: 1
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 0.3; color: root.colorOrange }
                GradientStop { position: 0.7; color: root.colorBlue }
                GradientStop { position: 1.0; color: "transparent" }
            }
        }
    }
    Row {
        id: titleLogo
        x: 27
        y: 12
        spacing: 10
        Image {
            source: "qrc:/modules/img/logo.svg"
            sourceSize: Qt.size(32, 32)
        }
        UiText {
            height: 32
            text: environment.title
            font.pixelSize: root.fontMaxSize
            font.bold: true
            font.letterSpacing: root.titleSpacing(2)
            Accessible.role: Accessible.Heading
        }
    }
}
