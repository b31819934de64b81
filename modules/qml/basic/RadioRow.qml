import QtQuick

// One choice of a set: a round mark and its text; clicking it announces the choice, the
// owner decides what is checked. Long texts wrap onto up to three lines when wrap is set.
Pressable {
    id: row

    property string text: ""
    property bool checked: false
    property bool wrap: false

    signal chosen()

    group: "choices"

    implicitWidth: 200
    implicitHeight: Math.max(26, label.implicitHeight + 8)
    radius: 3
    color: area.containsMouse ? Qt.rgba(1, 1, 1, 0.06) : "transparent"

    Accessible.role: Accessible.RadioButton
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onPressAction: if (enabled) row.chosen()
    onActivated: row.chosen()
    // The arrows move to the neighbouring choice; Space or Enter choose it.
    Keys.onUpPressed: moveInGroup(false)
    Keys.onDownPressed: moveInGroup(true)

    Rectangle {
        id: mark
        anchors { left: parent.left; leftMargin: 6; top: parent.top; topMargin: (Math.min(parent.height, 26) - height) / 2 }
        width: 14
        height: 14
        radius: 7
        color: root.colorBlack
        border.color: row.checked ? root.colorOrange : area.containsMouse ? root.colorGray3 : root.colorGray2
        border.width: row.checked ? 2 : 1
        Rectangle {
            anchors.centerIn: parent
            width: 6
            height: 6
            radius: 3
            color: root.colorOrange
            visible: row.checked
        }
    }
    UiText {
        id: label
        anchors { left: mark.right; leftMargin: 8; right: parent.right; rightMargin: 6; verticalCenter: parent.verticalCenter }
        text: row.text
        color: row.checked ? root.fontColor : root.colorGray3
        wrapMode: row.wrap ? Text.WordWrap : Text.NoWrap
        maximumLineCount: row.wrap ? 3 : 1
        Accessible.ignored: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: row.chosen()
    }
}
