import QtQuick

// A box showing the chosen entry of a list; pressing it drops the list below. Choosing an
// entry announces its index; the owner decides what becomes current. From the keyboard:
// Space, Enter or Alt+Down drop the list, Up and Down move the highlight, Enter chooses the
// highlighted entry, Esc closes the list without a change. While the list is down the
// highlighted entry holds the focus, as in a native list, so a screen reader says each entry
// the arrows reach; closing gives the focus back to the box. A list longer than the room below
// the box down to the window's edge shows the rows that fit and scrolls (wheel, drag, or the
// highlight moving out of view), with a bar at its right edge telling where it is.
Pressable {
    id: box

    property string label: ""
    property var model: []
    property int currentIndex: -1
    property bool open: false
    property int rowHeight: 24
    // The entry the keyboard points at while the list is down.
    property int highlighted: -1
    // Rows shown at once while the list is down (all unless the window is too short).
    property int shownRows: model.length
    // Rows shown at least, even where the list must then rise above the box.
    readonly property int fewestRows: 4

    signal chosen(int index)

    implicitWidth: 144
    implicitHeight: 24
    radius: 3
    color: root.colorBlack
    border.color: open || area.containsMouse ? root.colorOrange : root.colorGray1

    Accessible.role: Accessible.ComboBox
    Accessible.name: label
    Accessible.description: current.text
    Accessible.onPressAction: open ? close() : popUp()
    onActivated: open ? choose(highlighted) : popUp()
    Keys.onUpPressed: moveHighlight(-1)
    Keys.onDownPressed: function (event) {
        if (!open && (event.modifiers & Qt.AltModifier))
            popUp()
        else
            moveHighlight(1)
    }
    Keys.onEscapePressed: function (event) {
        event.accepted = open
        close()
    }
    // The focus left the box for something other than its list.
    onActiveFocusChanged: if (!activeFocus) Qt.callLater(closeUnlessFocused)

    function moveHighlight(delta) {
        if (!open)
            return
        highlighted = Math.max(0, Math.min(model.length - 1, highlighted + delta))
        focusHighlighted()
    }

    function focusHighlighted() {
        var row = rows.itemAt(highlighted)
        if (!open || !row)
            return
        scrollTo(row)
        row.forceActiveFocus()
    }

    // Scrolls the list as little as it takes to show the row whole.
    function scrollTo(row) {
        if (row.y < flick.contentY)
            flick.contentY = row.y
        else if (row.y + row.height > flick.contentY + flick.height)
            flick.contentY = row.y + row.height - flick.height
    }

    function listHasFocus() {
        for (var i = Window.activeFocusItem; i; i = i.parent) {
            if (i === list)
                return true
        }
        return false
    }

    function closeUnlessFocused() {
        if (!box.activeFocus && !listHasFocus())
            close()
    }

    function choose(index) {
        close()
        if (index >= 0 && index < model.length)
            chosen(index)
    }

    function close() {
        if (!open)
            return
        var hadFocus = listHasFocus()
        open = false
        if (hadFocus)
            box.forceActiveFocus()
    }

    function popUp() {
        if (!box.enabled)
            return
        list.width = box.width
        var below = layer.height - box.mapToItem(null, 0, box.height + 2).y - 2
        shownRows = Math.min(model.length, Math.max(fewestRows, Math.floor(below / rowHeight)))
        flick.contentY = 0
        layer.placeAt(list, Qt.point(0, box.height + 2))
        highlighted = currentIndex
        open = true
        focusHighlighted()
    }

    UiText {
        id: current
        anchors { left: parent.left; right: arrow.left; leftMargin: 8; rightMargin: 4; verticalCenter: parent.verticalCenter }
        text: box.currentIndex >= 0 && box.currentIndex < box.model.length ? box.model[box.currentIndex] : ""
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
        onClicked: box.open ? box.close() : box.popUp()
    }

    DropLayer {
        id: layer
        owner: box
        shown: box.open
        onDismissed: box.close()

        Rectangle {
            id: list
            height: Math.min(column.height, box.shownRows * box.rowHeight) + 2
            color: root.colorGray0
            border.color: root.colorGray1
            Accessible.role: Accessible.List
            Accessible.name: box.label
            // The keys of the focused entry: the box's own, while the list is down.
            Keys.onUpPressed: box.moveHighlight(-1)
            Keys.onDownPressed: box.moveHighlight(1)
            Keys.onPressed: function (event) {
                if (box.isActivationKey(event.key))
                    box.choose(box.highlighted)
                else if (event.key === Qt.Key_Escape || event.key === Qt.Key_Tab
                         || event.key === Qt.Key_Backtab)
                    box.close()
                else
                    return
                event.accepted = true
            }

            Flickable {
                id: flick
                x: 1
                y: 1
                width: parent.width - 2
                height: parent.height - 2
                contentHeight: column.height
                clip: true
                boundsBehavior: Flickable.StopAtBounds

                Column {
                    id: column
                    width: flick.width
                    Repeater {
                        id: rows
                        model: box.model
                        Rectangle {
                            id: row
                            required property int index
                            required property var modelData
                            objectName: box.objectName + "Item" + index
                            width: column.width
                            height: box.rowHeight
                            color: rowArea.containsMouse || index === box.highlighted ? root.colorOrange
                                 : index === box.currentIndex ? root.colorBlue : "transparent"
                            Accessible.role: Accessible.ListItem
                            Accessible.name: String(modelData)
                            Accessible.selected: index === box.highlighted
                            Accessible.onPressAction: box.choose(index)
                            UiText {
                                anchors { fill: parent; leftMargin: 8; rightMargin: 8 }
                                text: String(row.modelData)
                                Accessible.ignored: true
                            }
                            MouseArea {
                                id: rowArea
                                anchors.fill: parent
                                hoverEnabled: true
                                onClicked: box.choose(row.index)
                            }
                        }
                    }
                }
            }
            // Where the shown rows are in the whole list.
            Rectangle {
                visible: flick.contentHeight > flick.height
                x: parent.width - width - 2
                y: 1 + flick.visibleArea.yPosition * flick.height
                width: 3
                height: flick.visibleArea.heightRatio * flick.height
                radius: 1
                color: root.colorGray2
            }
        }
    }
}
