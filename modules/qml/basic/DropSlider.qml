import QtQuick

// The scene's slider: a box that shows the value's text and, when pressed, drops a track
// below it. The value is the handle's position on the track, from … to (3 … 89 or
// 3 … 161); moving the handle announces every position, releasing it the final one.
Rectangle {
    id: box

    property string label: ""
    property string text: ""
    property int from: 3
    property int to: 89
    property int value: from
    property int trackWidth: 200
    property bool open: false

    signal moved(int value)
    signal released(int value)

    implicitWidth: 104
    implicitHeight: 24
    radius: 3
    color: root.colorBlack
    border.color: open || area.containsMouse ? root.colorOrange : root.colorGray1

    Accessible.ignored: true

    function clamp(v) {
        return Math.max(from, Math.min(to, Math.round(v)))
    }

    // Where value v sits on the track, in the track's own coordinates.
    function trackX(v) {
        return (clamp(v) - from) * track.width / (to - from)
    }

    function close() {
        open = false
    }

    function popUp() {
        if (!box.enabled)
            return
        layer.placeAt(panel, Qt.point(box.width - panel.width, box.height + 2))
        open = true
    }

    // Moves the handle by delta positions, as the arrow keys and assistive technology do.
    function step(delta) {
        moveTo(value + delta)
    }

    // Puts the handle on v as if the user had dragged it there and let go.
    function moveTo(v) {
        v = clamp(v)
        if (v === value)
            return
        value = v
        moved(v)
        released(v)
    }

    Keys.onLeftPressed: step(-1)
    Keys.onRightPressed: step(1)
    Keys.onEscapePressed: close()

    // What assistive technology sees: a slider with the box's value and bounds. A value it
    // writes is taken as the user's move.
    Item {
        anchors.fill: parent
        property int value: box.value
        readonly property int minimumValue: box.from
        readonly property int maximumValue: box.to
        readonly property int stepSize: 1
        Accessible.role: Accessible.Slider
        Accessible.name: box.label
        Accessible.description: box.text
        Accessible.onIncreaseAction: box.step(1)
        Accessible.onDecreaseAction: box.step(-1)
        Accessible.onPressAction: box.open ? box.close() : box.popUp()
        onValueChanged: {
            if (value !== box.value)
                box.moveTo(value)
            value = Qt.binding(function () { return box.value })
        }
    }

    UiText {
        anchors { left: parent.left; right: arrow.left; leftMargin: 8; verticalCenter: parent.verticalCenter }
        horizontalAlignment: Text.AlignRight
        text: box.text
        Accessible.ignored: true
    }
    UiText {
        id: arrow
        anchors { right: parent.right; rightMargin: 6; verticalCenter: parent.verticalCenter }
        text: box.open ? "\u25B4" : "\u25BE"
        color: root.colorGray2
        Accessible.ignored: true
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: {
            box.forceActiveFocus()
            box.open ? box.close() : box.popUp()
        }
    }

    DropLayer {
        id: layer
        owner: box
        shown: box.open
        onDismissed: box.close()

        Rectangle {
            id: panel
            width: box.trackWidth + 28
            height: 36
            radius: 3
            color: root.colorGray0
            border.color: root.colorGray1

            MouseArea {
                anchors.fill: parent
            }
            Rectangle {
                id: track
                objectName: box.objectName + "Track"
                anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter; margins: 14 }
                height: 4
                radius: 2
                color: root.colorGray1
                Rectangle {
                    width: box.trackX(box.value)
                    height: parent.height
                    radius: 2
                    color: root.colorOrange
                }
                Rectangle {
                    x: box.trackX(box.value) - width / 2
                    anchors.verticalCenter: parent.verticalCenter
                    width: 12
                    height: 12
                    radius: 6
                    color: root.fontColor
                    border.color: root.colorOrange
                    border.width: 2
                }
                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -12
                    function follow(mouse) {
                        var v = box.clamp(box.from + (mouse.x - 12) * (box.to - box.from) / track.width)
                        if (v !== box.value) {
                            box.value = v
                            box.moved(v)
                        }
                    }
                    onPressed: function (mouse) { follow(mouse) }
                    onPositionChanged: function (mouse) { follow(mouse) }
                    onReleased: box.released(box.value)
                }
            }
        }
    }
}
