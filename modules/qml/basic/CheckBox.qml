import QtQuick

// A check box with its label; clicking either, Space or Enter toggle it.
Pressable {
    id: box

    property string text: ""
    property bool checked: false

    signal toggled(bool checked)

    implicitWidth: mark.width + 6 + label.implicitWidth
    implicitHeight: 20

    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onPressAction: toggle()
    Accessible.onToggleAction: toggle()
    onActivated: toggle()
    color: "transparent"

    function toggle() {
        if (!enabled)
            return
        checked = !checked
        toggled(checked)
    }

    Rectangle {
        id: mark
        anchors.verticalCenter: parent.verticalCenter
        width: 14
        height: 14
        radius: 2
        color: box.checked ? root.colorBlue : root.colorBlack
        border.color: area.containsMouse ? root.colorOrange : root.colorGray2
        UiText {
            anchors.centerIn: parent
            text: "\u2713"
            visible: box.checked
            font.pixelSize: root.fontNormalSize
            Accessible.ignored: true
        }
    }
    UiText {
        id: label
        anchors { left: mark.right; leftMargin: 6; right: parent.right; verticalCenter: parent.verticalCenter }
        text: box.text
        color: box.enabled ? root.colorGray3 : root.colorGray2
        Accessible.ignored: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: box.toggle()
    }
}
