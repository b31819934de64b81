import QtQuick
import "../basic"

// The start picture, shown while the program first talks to the mouse.
Rectangle {
    id: logo

    property string title: ""

    width: 320
    height: 320
    radius: 160
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#23262e" }
        GradientStop { position: 1.0; color: "#0c0d10" }
    }
    border.color: root.colorGray1

    Accessible.role: Accessible.Graphic
    Accessible.name: title

    Rectangle {
        anchors.centerIn: parent
        width: 236
        height: 236
        radius: 118
        color: "transparent"
        border.color: root.colorOrange
        border.width: 2
        opacity: 0.6
        RotationAnimation on rotation {
            running: logo.visible
            loops: Animation.Infinite
            from: 0
            to: 360
            duration: 2400
        }
        Rectangle {
            x: parent.width / 2 - 5
            y: -5
            width: 10
            height: 10
            radius: 5
            color: root.colorOrange
        }
    }
    Image {
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -14
        source: "qrc:/modules/img/logo.svg"
        sourceSize: Qt.size(112, 112)
    }
    UiText {
        anchors { horizontalCenter: parent.horizontalCenter; bottom: parent.bottom; bottomMargin: 74 }
        text: logo.title
        color: root.colorGray3
        font.pixelSize: root.fontMiddleSize
        font.bold: true
        font.letterSpacing: 3
    }
}
