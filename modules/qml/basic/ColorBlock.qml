import QtQuick

// One colour of a set: a swatch that can be chosen. The chosen one wears a bright frame.
// The set is a group of radio buttons and one Tab stop: the arrows move along it, Space or
// Enter choose.
Pressable {
    id: block

    property string name: ""
    property bool selected: false
    // The colour as a screen reader says it ("Colour 3: red 10, green 200, blue 30").
    property string colourText: String(color)

    signal clicked()

    implicitWidth: 22
    implicitHeight: 22
    radius: 3
    border.width: selected ? 2 : 1
    border.color: selected ? root.fontColor : area.containsMouse ? root.colorOrange : root.colorGray1

    Accessible.role: Accessible.RadioButton
    Accessible.name: name
    Accessible.description: colourText
    Accessible.checkable: true
    Accessible.checked: selected
    Accessible.onPressAction: if (enabled) block.clicked()
    onActivated: block.clicked()
    group: "colours"
    groupRoot: parent
    chosen: selected
    Keys.onLeftPressed: moveInGroup(false)
    Keys.onRightPressed: moveInGroup(true)
    Keys.onUpPressed: moveInGroup(false)
    Keys.onDownPressed: moveInGroup(true)

    // A dark inner line keeps light colours apart from the frame.
    Rectangle {
        anchors.fill: parent
        anchors.margins: block.border.width
        radius: 2
        color: "transparent"
        border.color: Qt.rgba(0, 0, 0, 0.35)
        visible: block.selected
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: block.clicked()
    }
}
