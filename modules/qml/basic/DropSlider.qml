import QtQuick

// The scene's slider: a box that shows the value's text and, when pressed, drops a track
// below it. The value is the handle's position on the track, from … to (3 … 89 or
// 3 … 161); moving the handle announces every position, releasing it the final one.
//
// From the keyboard, once it has the focus (Tab is enough): the arrows step by one shown
// number, Page Up and Page Down by a tenth of the shown numbers, Home and End go to the ends,
// Space or Enter drop or lift the track, Esc lifts it. A screen reader hears the value as the
// box shows it: textOf gives the shown text of any position, so the bounds are told in the
// same units.
Rectangle {
    id: box

    property string label: ""
    property string text: ""
    // What a screen reader says of the value; the shown text unless the owner says more.
    property string description: text
    property int from: 3
    property int to: 89
    property int value: from
    property int trackWidth: 200
    property bool open: false
    // function (position) → the text shown for it; null: the position itself.
    property var textOf: null

    signal moved(int value)
    signal released(int value)

    implicitWidth: 104
    implicitHeight: 24
    radius: 3
    color: root.colorBlack
    border.color: open || area.containsMouse ? root.colorOrange : root.colorGray1

    // No Accessible settings on the box itself: with them, every change of its value would be
    // announced as a value change of an object that has none. The item "access" below is what
    // a screen reader sees.

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

    // Moves the handle by delta shown steps, as the arrow keys and assistive technology do:
    // each step goes to the nearest position that shows another number, so every press
    // changes what the box shows (several positions may show the same number).
    function step(delta) {
        moveTo(positionAfter(value, delta))
    }

    // The position delta shown steps away from position p (negative: towards from).
    function positionAfter(p, delta) {
        var direction = delta < 0 ? -1 : 1
        for (var n = Math.abs(delta); n > 0; --n) {
            var shown = p === value ? numberShown() : shownNumber(p)
            var q = p + direction
            while (q >= from && q <= to && shownNumber(q) === shown)
                q += direction
            if (q < from || q > to)
                return p
            p = q
        }
        return p
    }

    // A tenth of the numbers the track shows, at least one.
    function tenthOfSteps() {
        var count = 1
        for (var p = from + 1; p <= to; ++p) {
            if (shownNumber(p) !== shownNumber(p - 1))
                ++count
        }
        return Math.max(1, Math.round((count - 1) / 10))
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

    // The leading number of a text, written with the language's decimal sign ("0,5 mm").
    function leadingNumber(t) {
        return parseFloat(String(t).replace(root.decimalPoint, "."))
    }

    // The number a position shows (its text's leading number), or the position itself.
    function shownNumber(v) {
        var n = leadingNumber(textOf ? textOf(v) : String(v))
        return isFinite(n) ? n : v
    }

    // The number the box shows now; a text without one gives the position's.
    function numberShown() {
        var n = leadingNumber(text)
        return isFinite(n) ? n : shownNumber(value)
    }

    // The first position that shows the number nearest to n.
    function positionShowing(n) {
        var best = from
        for (var p = from; p <= to; ++p) {
            if (Math.abs(shownNumber(p) - n) < Math.abs(shownNumber(best) - n))
                best = p
        }
        return best
    }

    // What assistive technology sees, and what holds the keyboard focus: a slider with the
    // box's shown value and bounds. A value it writes is taken as the user's move.
    Item {
        id: access
        objectName: box.objectName + "Access"
        anchors.fill: parent
        activeFocusOnTab: true
        property real value: box.numberShown()
        readonly property real minimumValue: box.shownNumber(box.from)
        readonly property real maximumValue: box.shownNumber(box.to)
        readonly property real stepSize: 0
        Accessible.role: Accessible.Slider
        Accessible.name: box.label
        Accessible.description: box.description
        Accessible.onIncreaseAction: box.step(1)
        Accessible.onDecreaseAction: box.step(-1)
        Accessible.onPressAction: box.open ? box.close() : box.popUp()
        onValueChanged: {
            if (value !== box.numberShown())
                box.moveTo(box.positionShowing(value))
            value = Qt.binding(function () { return box.numberShown() })
        }
        onActiveFocusChanged: if (!activeFocus) box.close()

        Keys.onLeftPressed: box.step(-1)
        Keys.onDownPressed: box.step(-1)
        Keys.onRightPressed: box.step(1)
        Keys.onUpPressed: box.step(1)
        Keys.onPressed: function (event) {
            switch (event.key) {
            case Qt.Key_PageUp: box.step(box.tenthOfSteps()); break
            case Qt.Key_PageDown: box.step(-box.tenthOfSteps()); break
            case Qt.Key_Home: box.moveTo(box.from); break
            case Qt.Key_End: box.moveTo(box.to); break
            case Qt.Key_Space: case Qt.Key_Return: case Qt.Key_Enter:
                if (!event.isAutoRepeat)
                    box.open ? box.close() : box.popUp()
                break
            case Qt.Key_Escape:
                event.accepted = box.open
                box.close()
                return
            default:
                return
            }
            event.accepted = true
        }
    }
    FocusRing {
        shown: access.activeFocus
    }

    UiText {
        anchors { left: parent.left; right: arrow.left; leftMargin: 8; rightMargin: 4; verticalCenter: parent.verticalCenter }
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
            access.forceActiveFocus()
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
