import QtQuick
import "../basic"

// "LOADING ......", blinking (opacity 1.0 → 0.2 → 1.0 in 400 ms steps) while the view is
// locked. During a long write a bar beneath it shows how far it is: the exchanges ended over
// those planned, with the line "Writing to the mouse: 4 of 11".
Rectangle {
    id: indicator

    property bool running: false
    // The write in progress: exchanges planned (0: none) and ended so far.
    property int planned: 0
    property int done: 0
    property string progressText: "Writing to the mouse: %1 of %2"
    readonly property bool showsProgress: running && planned > 0
    readonly property int shownDone: Math.max(0, Math.min(planned, done))
    readonly property real fraction: planned > 0 ? shownDone / planned : 0
    // What the line and a screen reader say: the last figures of the write, kept when it
    // ends, so the last exchange is told ("11 of 11") and nothing changes while hidden.
    property int heldDone: 0
    property int heldPlanned: 0

    function hold() {
        if (planned > 0) {
            heldPlanned = planned
            heldDone = shownDone
        }
    }

    onPlannedChanged: hold()
    onShownDoneChanged: hold()

    visible: running
    width: Math.max(label.implicitWidth, showsProgress ? progressLine.implicitWidth : 0) + 48
    height: showsProgress ? 96 : 44
    radius: showsProgress ? 16 : 22
    color: Qt.rgba(0, 0, 0, 0.72)
    border.color: root.colorGray1

    Accessible.role: Accessible.StatusBar
    Accessible.name: label.text

    UiText {
        id: label
        anchors { horizontalCenter: parent.horizontalCenter; top: parent.top }
        height: 44
        text: "LOADING ......"
        font.pixelSize: root.fontMaxSize + 2
        font.bold: true
        font.letterSpacing: 3
        Accessible.ignored: true

        SequentialAnimation on opacity {
            running: indicator.running
            loops: Animation.Infinite
            alwaysRunToEnd: false
            NumberAnimation { from: 1.0; to: 0.2; duration: 400 }
            NumberAnimation { from: 0.2; to: 1.0; duration: 400 }
        }
    }
    Rectangle {
        id: bar
        objectName: "progressBar"
        anchors { left: parent.left; right: parent.right; top: label.bottom; margins: 24; topMargin: 0 }
        height: 8
        radius: 4
        visible: indicator.showsProgress
        color: root.colorGray1
        Accessible.role: Accessible.ProgressBar
        Accessible.name: progressLine.text
        Accessible.description: progressLine.text

        // Read by screen readers as the bar's value and range.
        readonly property real value: indicator.heldPlanned > 0
                                      ? indicator.heldDone / indicator.heldPlanned : 0
        readonly property real minimumValue: 0
        readonly property real maximumValue: 1

        Rectangle {
            width: parent.width * indicator.fraction
            height: parent.height
            radius: parent.radius
            color: root.colorOrange
        }
    }
    UiText {
        id: progressLine
        objectName: "progressText"
        anchors { horizontalCenter: parent.horizontalCenter; top: bar.bottom; topMargin: 8 }
        visible: indicator.showsProgress
        text: indicator.progressText.split("%1").join(String(indicator.heldDone))
                                    .split("%2").join(String(indicator.heldPlanned))
        color: root.colorGray3
    }
}
