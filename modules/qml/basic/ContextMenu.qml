import QtQuick

// A right-click menu: a column of entries at the pointer. Choosing one announces its index
// and closes the menu; a press elsewhere only closes it.
Item {
    id: menu

    property var entries: []
    // Indices of entries shown but not offered (greyed; a click on one does nothing).
    property var disabledEntries: []
    property Item owner
    property bool open: false

    signal chosen(int index)

    // Opens at point p of the owner.
    function popUp(p) {
        layer.placeAt(frame, p)
        open = true
    }

    function close() {
        open = false
    }

    DropLayer {
        id: layer
        owner: menu.owner
        shown: menu.open
        onDismissed: menu.close()

        Rectangle {
            id: frame
            width: 168
            height: column.height + 8
            radius: 3
            color: root.colorGray0
            border.color: root.colorGray2
            Accessible.role: Accessible.PopupMenu

            Column {
                id: column
                x: 4
                y: 4
                width: parent.width - 8
                Repeater {
                    model: menu.entries
                    Rectangle {
                        id: entry
                        required property int index
                        required property var modelData
                        readonly property bool offered: menu.disabledEntries.indexOf(index) < 0
                        objectName: menu.objectName + "Entry" + index
                        enabled: offered
                        width: column.width
                        height: 24
                        radius: 2
                        color: entryArea.containsMouse && offered ? root.colorOrange : "transparent"
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: String(modelData)
                        Accessible.onPressAction: if (offered) { menu.close(); menu.chosen(index) }
                        UiText {
                            anchors { fill: parent; leftMargin: 10; rightMargin: 10 }
                            text: String(entry.modelData)
                            color: entry.offered ? root.fontColor : root.colorGray2
                            Accessible.ignored: true
                        }
                        MouseArea {
                            id: entryArea
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: { menu.close(); menu.chosen(entry.index) }
                        }
                    }
                }
            }
        }
    }
}
