import QtQuick

// A whole number typed in a small box, kept within bounds. What is on screen is what counts:
// every keystroke that leaves a number in range makes it the value at once (announced with
// accepted), so no later click, key or screen-reader action can miss it. A keystroke that
// leaves anything else is refused: the text and the caret stay as they were before it (a
// selection is not typed over by the next key), and the frame flashes red. An emptied box
// counts nothing and shows the value again when editing ends. Enter ends editing; Esc gives
// back the number from before editing.
// A blank field (no value known) shows nothing until a number is typed.
Rectangle {
    id: field

    property string name: ""
    property int value: 0
    property int minimum: 0
    property int maximum: 255
    property bool blank: false
    // Emptied by the user: the box shows nothing while the value stays.
    property bool typing: false
    // A keystroke was just refused.
    property bool refused: false
    // The value when editing began, for Esc; null while not editing or when it was blank.
    property var valueAtStart: null
    // The text and the caret before the keystroke being handled, which a refusal puts back.
    property string textBefore: ""
    property int caretBefore: 0
    readonly property alias text: input.text
    readonly property alias editing: input.activeFocus

    signal accepted(int value)

    implicitWidth: 56
    implicitHeight: 22
    radius: 2
    color: root.colorBlack
    border.color: refused ? "#ff3030" : input.activeFocus ? root.colorOrange : root.colorGray1
    border.width: refused ? 2 : 1

    // The text input below is what a screen reader sees; the field itself has no Accessible
    // settings, or each change of its value would be announced as a value change of an
    // object without one.

    // Inside take(): the value changes because of what was typed.
    property bool taking: false

    onValueChanged: {
        if (!typing)
            input.text = shownText()
        // A value set from outside (a check box beside the field, say) is the one to give back.
        if (!taking && valueAtStart !== null)
            valueAtStart = value
    }
    onBlankChanged: if (!typing) input.text = shownText()
    Component.onCompleted: input.text = shownText()

    function shownText() {
        return blank ? "" : String(value)
    }

    function acceptable(text) {
        var n = Number(text)
        return text.trim() !== "" && Number.isInteger(n) && n >= minimum && n <= maximum
    }

    // A number in range becomes the value and is announced when it changed it.
    function take(n) {
        var changed = n !== value || blank
        taking = true
        value = n
        taking = false
        if (changed)
            accepted(n)
    }

    // A keystroke: a number in range counts at once, an empty box waits, anything else is
    // refused.
    function edited() {
        if (acceptable(input.text)) {
            typing = false
            take(Number(input.text))
        } else if (input.text.trim() === "") {
            typing = true
        } else {
            refuse()
        }
    }

    // The keystroke changes nothing: the text before it, the caret where it stood.
    function refuse() {
        input.text = textBefore
        input.cursorPosition = Math.min(caretBefore, textBefore.length)
        flashRefusal()
    }

    function flashRefusal() {
        refused = true
        refusedTimer.restart()
    }

    // The text a typed character, Backspace or Delete would leave; null for any other key
    // (those the text input handles as it will, and edited() judges afterwards).
    function textAfterKey(event) {
        if (event.modifiers & (Qt.ControlModifier | Qt.AltModifier | Qt.MetaModifier))
            return null
        var t = input.text
        var start = input.selectionStart
        var end = input.selectionEnd
        var typed = ""
        if (event.key === Qt.Key_Backspace) {
            if (start === end)
                start = Math.max(0, start - 1)
        } else if (event.key === Qt.Key_Delete) {
            if (start === end)
                end = Math.min(t.length, end + 1)
        } else if (event.text.length > 0 && event.text.charCodeAt(0) >= 32) {
            typed = event.text
        } else {
            return null
        }
        return t.slice(0, start) + typed + t.slice(end)
    }

    function noteBeforeKey() {
        textBefore = input.text
        caretBefore = input.cursorPosition
    }

    // Editing ends: the box shows the value that counts, as a plain number, and that value
    // is the one Esc or a refusal gives back from now on.
    function commit() {
        if (acceptable(input.text))
            take(Number(input.text))
        typing = false
        input.text = shownText()
        valueAtStart = blank ? null : value
    }

    // Esc: the value from before the editing comes back.
    function restore() {
        typing = false
        if (valueAtStart !== null && valueAtStart !== value)
            take(valueAtStart)
        input.text = shownText()
    }

    Timer {
        id: refusedTimer
        interval: 900
        onTriggered: field.refused = false
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
        activeFocusOnTab: true
        clip: true
        font.family: root.fontFamily
        font.pixelSize: root.fontNormalSize
        maximumLength: 6
        inputMethodHints: Qt.ImhDigitsOnly
        Accessible.role: Accessible.EditableText
        Accessible.name: field.name
        Accessible.description: field.shownText()
        onTextEdited: field.edited()
        // Before the text input handles the key: a keystroke that would leave no number in
        // range is refused here, so the text is never changed and changed back (a screen
        // reader would read the whole number again); for the others, what a refusal puts back.
        Keys.onPressed: function (event) {
            var after = field.textAfterKey(event)
            if (after !== null && after.trim() !== "" && !field.acceptable(after)) {
                field.flashRefusal()
                event.accepted = true
                return
            }
            field.noteBeforeKey()
            event.accepted = false
        }
        onEditingFinished: field.commit()
        onActiveFocusChanged: {
            if (activeFocus) {
                field.valueAtStart = field.blank ? null : field.value
                selectAll()
            } else {
                field.commit()
                field.valueAtStart = null
            }
        }
        Keys.onEscapePressed: function (event) {
            // A second Esc, with nothing left to give back, goes on to close the page.
            event.accepted = field.typing || field.valueAtStart !== field.value
            field.restore()
            field.valueAtStart = field.value
        }
    }
    FocusRing {
        shown: input.activeFocus
    }
}
