import QtQuick

// A whole number typed in a small box, kept within bounds. Input that is not a number in
// range when editing ends gives the old value back; an accepted number is announced once.
// A blank field (no value known) shows nothing until a number is typed.
Rectangle {
    id: field

    property string name: ""
    property int value: 0
    property int minimum: 0
    property int maximum: 255
    property bool blank: false
    // Typed and not taken yet: the value stays off the box until editing ends.
    property bool typing: false
    readonly property alias text: input.text
    readonly property alias editing: input.activeFocus

    signal accepted(int value)

    implicitWidth: 56
    implicitHeight: 22
    radius: 2
    color: root.colorBlack
    border.color: input.activeFocus ? root.colorOrange : root.colorGray1

    Accessible.role: Accessible.EditableText
    Accessible.name: name
    Accessible.description: shownText()

    onValueChanged: if (!typing) input.text = shownText()
    onBlankChanged: if (!typing) input.text = shownText()
    Component.onCompleted: input.text = shownText()

    function shownText() {
        return blank ? "" : String(value)
    }

    // Takes what was typed: a number in range becomes the value, anything else restores.
    function commit() {
        typing = false
        var n = Number(input.text)
        if (input.text.trim() !== "" && Number.isInteger(n) && n >= minimum && n <= maximum) {
            var changed = n !== value || blank
            value = n
            input.text = String(n)
            if (changed)
                accepted(n)
        } else {
            input.text = shownText()
        }
    }

    TextInput {
        id: input
        objectName: field.objectName + "Input"
        anchors.fill: parent
        anchors.leftMargin: 6
        anchors.rightMargin: 6
        verticalAlignment: TextInput.AlignVCenter
        horizontalAlignment: TextInput.AlignRight
        color: root.fontColor
        selectionColor: root.colorBlue
        selectByMouse: true
        clip: true
        font.family: root.fontFamily
        font.pixelSize: root.fontNormalSize
        maximumLength: 6
        inputMethodHints: Qt.ImhDigitsOnly
        onTextEdited: field.typing = true
        onEditingFinished: field.commit()
        onActiveFocusChanged: if (!activeFocus) field.commit()
        Keys.onEscapePressed: {
            field.typing = false
            text = field.shownText()
            focus = false
        }
    }
}
