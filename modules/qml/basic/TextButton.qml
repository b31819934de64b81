import QtQuick

// A push button with a text: blue at rest, orange under the pointer, red while it has
// something to tell (Save with unsaved changes).
Pressable {
    id: button

    property string text: ""
    property bool alert: false
    property color restColor: root.colorBlue
    property color alertColor: "#ff3030"
    readonly property bool hovered: area.containsMouse

    signal clicked()

    implicitWidth: 64
    implicitHeight: 24
    radius: 3
    color: !enabled ? root.colorGray1 : hovered || keyDown ? root.colorOrange : alert ? alertColor : restColor
    border.color: Qt.lighter(color, 1.4)
    border.width: 1

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: if (enabled) button.clicked()
    onActivated: button.clicked()

    UiText {
        anchors.fill: parent
        anchors.leftMargin: 4
        anchors.rightMargin: 4
        horizontalAlignment: Text.AlignHCenter
        text: button.text
        color: button.enabled ? root.fontColor : root.colorGray2
        Accessible.ignored: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: button.clicked()
    }
}
