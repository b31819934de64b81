import QtQuick
import "../basic"

// A question the window asks before it does something that cannot be taken back: what becomes
// of unsaved changes, whether a macro is to be deleted. The first answer does it, the last
// one (and the close icon) leaves everything as it was.
PopupFrame {
    id: box

    property string question: ""
    property var answers: []

    signal answered(int index)

    objectName: "questionBox"
    width: 427
    height: 96 + questionText.height
    onCloseClicked: answered(answers.length - 1)

    function focusAnswer(index) {
        var button = answerButtons.itemAt(index)
        if (button)
            button.forceActiveFocus(Qt.TabFocusReason)
    }

    UiText {
        id: questionText
        objectName: "questionText"
        anchors { left: parent.left; leftMargin: 4; right: parent.right; top: parent.top }
        text: box.question
        color: root.colorGray3
        wrapMode: Text.WordWrap
        maximumLineCount: 4
        height: Math.max(20, implicitHeight)
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
    // The answers from the right edge leftwards, placed by bindings (a Row would place new
    // buttons only at its next layout pass).
    Item {
        id: answerRow
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 24
        Repeater {
            id: answerButtons
            model: box.answers
            TextButton {
                required property int index
                required property string modelData
                objectName: "questionAnswer" + index
                x: answerRow.width - (box.answers.length - index) * (width + 12) + 12
                width: 88
                height: answerRow.height
                text: modelData
                restColor: index === 0 ? root.colorBlue : root.colorGray1
                activeFocusOnTab: true
                onClicked: box.answered(index)
            }
        }
    }
}
