import QtQuick

// A field that takes the next key (or keys) pressed once it is clicked (or worked with Space
// or Enter): it shows its text, and while capturing a pulsing orange frame says it is
// waiting. While capturing it holds the keyboard focus and keeps every key from the rest of
// the page; Esc is announced as escapePressed, for the owner to end the capture.
Pressable {
    id: field

    property string label: ""
    property string text: ""
    property bool capturing: false
    // The text is a prompt, not a value.
    property bool dim: false

    signal clicked()

    implicitWidth: 160
    implicitHeight: 28
    radius: 3
    color: capturing ? Qt.rgba(0.70, 0.03, 0.03, 0.18) : root.colorGray0
    border.color: capturing ? root.colorOrange : area.containsMouse ? root.colorGray2 : root.colorGray1
    border.width: capturing ? 2 : 1

    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.description: text
    // Pressed in while it takes keys, like a toggle button: a screen reader says "pressed".
    Accessible.checkable: true
    Accessible.checked: capturing
    Accessible.pressed: capturing
    Accessible.onPressAction: if (enabled) field.clicked()
    onActivated: field.clicked()
    takesAllKeys: capturing
    onCapturingChanged: if (capturing) forceActiveFocus()

    SequentialAnimation on opacity {
        running: field.capturing
        loops: Animation.Infinite
        alwaysRunToEnd: true
        NumberAnimation { from: 1.0; to: 0.65; duration: 500 }
        NumberAnimation { from: 0.65; to: 1.0; duration: 500 }
    }

    Image {
        id: glyph
        anchors { left: parent.left; leftMargin: 8; verticalCenter: parent.verticalCenter }
        source: root.image("index", "keyboard")
        sourceSize: Qt.size(16, 16)
        opacity: 0.7
    }
    UiText {
        anchors { left: glyph.right; leftMargin: 8; right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
        text: field.text
        color: field.dim && !field.capturing ? root.colorGray2 : root.fontColor
        font.bold: !field.dim
        Accessible.ignored: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: field.clicked()
    }
}
