import QtQuick

// The frame every pop-up page shares: centred on the window when opened, dragged by its
// background and kept inside the window, a title, and a close icon (a back icon where the
// page offers one). The scene shows its mask behind every open frame.
//
// An open frame keeps the keyboard to itself: opening gives the focus to its first control,
// Tab and Shift+Tab go round its own controls only, Esc works as its close icon does (or is
// announced as escapePressed where it has none), and closing gives the focus back to the
// control that opened it.
Rectangle {
    id: frame

    property string title: ""
    property bool showClose: true
    property bool showBack: false
    property string closeName: root.accessTexts[2]
    property string backName: root.accessTexts[5]
    default property alias content: body.data

    signal closeClicked()
    signal backClicked()
    signal escapePressed()

    property Item opener: null
    // A frame opened over this one (a question over a page, the programs page over the
    // profiles page) has the keyboard: this one's controls leave the Tab order, which a
    // focused control walks by itself across the whole scene, until it is on top again.
    readonly property bool covered: {
        var stack = root.frameStack
        var at = stack.indexOf(frame)
        return at >= 0 && at < stack.length - 1
    }

    visible: false
    enabled: !covered
    radius: 6
    color: root.colorGray0
    border.color: root.colorGray1
    z: 20

    Accessible.role: Accessible.Dialog
    Accessible.name: title

    function open() {
        x = Math.round((Window.width - width) / 2)
        y = Math.round((Window.height - height) / 2)
        if (!visible)
            opener = Window.activeFocusItem
        root.frameStack = root.frameStack.filter(function (f) { return f !== frame }).concat([frame])
        visible = true
        forceActiveFocus()
        moveFocus(true)
    }

    function close() {
        visible = false
    }

    function holds(item) {
        for (var i = item; i; i = i.parent) {
            if (i === frame)
                return true
        }
        return false
    }

    // The focus to the next (or previous) control of this frame, round from the last to the
    // first; nothing outside the frame is reached.
    function moveFocus(forward) {
        var from = Window.activeFocusItem && holds(Window.activeFocusItem) ? Window.activeFocusItem : frame
        var item = from
        for (var i = 0; i < 500; ++i) {
            item = item.nextItemInFocusChain(forward)
            if (!item || item === from)
                return
            if (item !== frame && holds(item)) {
                item.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
                return
            }
        }
    }

    // The opener may come back into view only once this frame has gone (the main screen
    // returns when the last pop-up closes), so the focus goes back after this event. An opener
    // that has gone from view meanwhile (its section changed, say) hands the focus to the
    // nearest control of what still shows around it.
    function giveFocusBack(item) {
        var focused = Window.activeFocusItem
        // Unless a control has taken the focus meanwhile (another pop-up's, say).
        if (visible || !item || (focused && focused.activeFocusOnTab && !holds(focused)
                                 && focused.visible))
            return
        var target = item.visible && item.enabled ? item : nearestShownControl(item)
        if (target)
            target.forceActiveFocus()
    }

    // The first control after item in the Tab order that lies in item's nearest shown
    // ancestor; failing that, that ancestor itself.
    function nearestShownControl(item) {
        var around = item.parent
        while (around && !around.visible)
            around = around.parent
        if (!around)
            return null
        var next = item
        for (var i = 0; i < 500; ++i) {
            next = next.nextItemInFocusChain(true)
            if (!next || next === item)
                break
            if (next.visible && next.enabled && within(next, around))
                return next
        }
        return around
    }

    function within(item, ancestor) {
        for (var i = item; i; i = i.parent) {
            if (i === ancestor)
                return true
        }
        return false
    }

    onVisibleChanged: {
        if (visible)
            return
        root.frameStack = root.frameStack.filter(function (f) { return f !== frame })
        Qt.callLater(giveFocusBack, opener)
        opener = null
    }

    Keys.onPressed: function (event) {
        if (event.key === Qt.Key_Tab || event.key === Qt.Key_Backtab) {
            moveFocus(event.key === Qt.Key_Tab && !(event.modifiers & Qt.ShiftModifier))
        } else if (event.key === Qt.Key_Escape) {
            if (showClose)
                closeClicked()
            escapePressed()
        } else {
            return
        }
        event.accepted = true
    }

    // Moves the frame by (dx, dy), never past the window's edges.
    function moveBy(dx, dy) {
        x = Math.max(0, Math.min(Window.width - width, x + dx))
        y = Math.max(0, Math.min(Window.height - height, y + dy))
    }

    MouseArea {
        anchors.fill: parent
        property point pressPoint
        onPressed: function (mouse) { pressPoint = Qt.point(mouse.x, mouse.y) }
        onPositionChanged: function (mouse) {
            frame.moveBy(mouse.x - pressPoint.x, mouse.y - pressPoint.y)
        }
    }
    // The page's controls come before the header's icons in the Tab order.
    Item {
        id: body
        anchors { left: parent.left; right: parent.right; top: header.bottom; bottom: parent.bottom; margins: 12 }
    }
    Rectangle {
        id: header
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 1 }
        height: 36
        radius: 6
        color: root.colorBlack
        Rectangle {
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: 6
            color: parent.color
        }
        Rectangle {
            anchors { left: parent.left; leftMargin: 14; verticalCenter: parent.verticalCenter }
            width: 3
            height: 14
            color: root.colorOrange
        }
        UiText {
            anchors { left: parent.left; leftMargin: 24; right: icons.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
            text: frame.title
            font.pixelSize: root.fontMiddleSize
            font.bold: true
            Accessible.role: Accessible.Heading
        }
        Row {
            id: icons
            anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
            spacing: 4
            IconButton {
                objectName: frame.objectName + "Back"
                visible: frame.showBack
                name: frame.backName
                source: root.image("index", "back")
                onClicked: frame.backClicked()
            }
            IconButton {
                objectName: frame.objectName + "Close"
                visible: frame.showClose
                name: frame.closeName
                source: root.image("index", "close")
                hoverColor: root.colorOrange
                onClicked: frame.closeClicked()
            }
        }
    }
}
