import QtQuick

// A line that says, next to the control, why something was not done. It shows its text for
// a while (or until it is replaced) and is read out by a screen reader as an alert.
UiText {
    id: line

    function show(message) {
        text = message
        clearTimer.restart()
    }

    function clear() {
        clearTimer.stop()
        text = ""
    }

    color: "#ff6a5a"
    wrapMode: Text.WordWrap
    maximumLineCount: 3
    visible: text.length > 0
    Accessible.role: Accessible.AlertMessage

    Timer {
        id: clearTimer
        interval: 8000
        onTriggered: line.text = ""
    }
}
