import QtQuick

// A small picture that does something when clicked; name says what, for the tooltip-less
// reader and the screen reader.
Pressable {
    id: button

    property string name: ""
    property url source
    property int iconSize: 16
    property color hoverColor: root.colorGray1
    readonly property bool hovered: area.containsMouse

    signal clicked()

    implicitWidth: 24
    implicitHeight: 24
    radius: 3
    color: hovered || keyDown ? hoverColor : "transparent"

    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: if (enabled) button.clicked()
    onActivated: button.clicked()

    Image {
        anchors.centerIn: parent
        source: button.source
        sourceSize: Qt.size(button.iconSize, button.iconSize)
        opacity: button.enabled ? (button.hovered ? 1.0 : 0.8) : 0.35
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
