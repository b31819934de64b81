import QtQuick
import "../basic"

// Asks before the current profile goes back to the factory settings. OK has the focus when
// it opens, so Enter confirms; Esc is Cancel.
PopupFrame {
    id: box

    property string question: "Reset factory setting"
    property string okText: "OK"
    property string cancelText: "Cancel"

    signal accepted()
    signal cancelled()

    width: 427
    height: 102
    showClose: false
    onEscapePressed: cancelled()

    UiText {
        anchors { left: parent.left; leftMargin: 4; right: buttons.left; rightMargin: 12; verticalCenter: parent.verticalCenter }
        text: box.question
        color: root.colorGray3
        wrapMode: Text.WordWrap
        maximumLineCount: 2
    }
    Row {
        id: buttons
        anchors { right: parent.right; verticalCenter: parent.verticalCenter }
        spacing: 12
        TextButton {
            objectName: "resetBoxOk"
            width: 72
            text: box.okText
            onClicked: box.accepted()
        }
        TextButton {
            objectName: "resetBoxCancel"
            width: 72
            text: box.cancelText
            restColor: root.colorGray1
            onClicked: box.cancelled()
        }
    }
}
