import QtQuick

// A menu of entries: a right-click menu at the pointer, or a menu at a place of the window
// (the help menu). Choosing one announces its index and closes the menu; a press elsewhere
// only closes it. An open menu holds the keyboard focus on its highlighted entry (a screen
// reader says each entry the arrows reach): Up and Down move the highlight over the entries
// offered, Enter chooses, Esc and Tab close it; the focus then goes back to what had it
// before (or to returnFocusTo). Items declared inside a use are shown below the entries.
Item {
    id: menu

    property var entries: []
    // Indices of entries shown but not offered (greyed; a click on one does nothing).
    property var disabledEntries: []
    // Indices of entries offered but drawn grey (a line of information, like a version).
    property var quietEntries: []
    // The entries' objectNames, by index; menu.objectName + "Entry" + index where not given.
    property var entryNames: []
    property Item owner
    property bool open: false
    property int highlighted: 0
    property Item focusBefore: null
    // Where the focus goes when the menu closes; what had it before when null.
    property Item returnFocusTo: null
    property string name: ""
    property int menuWidth: 168
    property int entryHeight: 24
    // Entries take as many lines as their text needs (an address shown whole).
    property bool wrapEntries: false
    // When set, a chosen entry goes to accept(index) first: false keeps the menu open and
    // announces nothing.
    property var accept: null
    default property alias extras: column.data

    signal chosen(int index)

    // Opens at point p of the owner.
    function popUp(p) {
        layer.placeAt(frame, p)
        openPlaced()
    }

    // Opens at (x, y) of the window, kept inside it.
    function popUpAtScene(x, y) {
        layer.placeAtScene(frame, x, y)
        openPlaced()
    }

    // Opens the menu where it has been placed.
    function openPlaced() {
        focusBefore = returnFocusTo !== null ? returnFocusTo : frame.Window.activeFocusItem
        open = true
        highlighted = -1
        moveHighlight(1)
        if (highlighted < 0)
            frame.forceActiveFocus()
    }

    function close() {
        if (!open)
            return
        var hadFocus = holdsFocus()
        open = false
        if (hadFocus && focusBefore)
            focusBefore.forceActiveFocus()
        focusBefore = null
    }

    function holdsFocus() {
        for (var i = frame.Window.activeFocusItem; i; i = i.parent) {
            if (i === frame)
                return true
        }
        return false
    }

    // The highlight (and the focus) to the next entry offered in direction step; it stays
    // where it is at either end.
    function moveHighlight(step) {
        for (var i = highlighted + step; i >= 0 && i < entries.length; i += step) {
            if (disabledEntries.indexOf(i) < 0) {
                highlighted = i
                break
            }
        }
        var entry = rows.itemAt(highlighted)
        if (entry)
            entry.forceActiveFocus()
    }

    // Entries not offered stay as they are: the menu stays open and nothing is announced.
    function choose(index) {
        if (disabledEntries.indexOf(index) >= 0)
            return
        if (accept && index >= 0 && index < entries.length && !accept(index))
            return
        close()
        if (index >= 0 && index < entries.length)
            chosen(index)
    }

    DropLayer {
        id: layer
        owner: menu.owner
        shown: menu.open
        onDismissed: menu.close()

        Rectangle {
            id: frame
            width: menu.menuWidth
            height: column.height + 8
            radius: 3
            color: root.colorGray0
            border.color: root.colorGray2
            Accessible.role: Accessible.PopupMenu
            Accessible.name: menu.name
            Keys.onUpPressed: menu.moveHighlight(-1)
            Keys.onDownPressed: menu.moveHighlight(1)
            Keys.onReturnPressed: menu.choose(menu.highlighted)
            Keys.onEnterPressed: menu.choose(menu.highlighted)
            Keys.onEscapePressed: menu.close()
            Keys.onTabPressed: menu.close()
            Keys.onBacktabPressed: menu.close()

            Column {
                id: column
                x: 4
                y: 4
                width: parent.width - 8
                Repeater {
                    id: rows
                    model: menu.entries
                    Rectangle {
                        id: entry
                        required property int index
                        required property var modelData
                        readonly property bool offered: menu.disabledEntries.indexOf(index) < 0
                        objectName: index < menu.entryNames.length ? menu.entryNames[index]
                                                                   : menu.objectName + "Entry" + index
                        enabled: offered
                        width: column.width
                        height: menu.wrapEntries
                                ? Math.max(menu.entryHeight, entryText.implicitHeight + 8)
                                : menu.entryHeight
                        radius: 2
                        color: (entryArea.containsMouse || index === menu.highlighted) && offered
                               ? root.colorOrange : "transparent"
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: String(modelData)
                        Accessible.selected: index === menu.highlighted
                        Accessible.onPressAction: menu.choose(index)
                        UiText {
                            id: entryText
                            anchors { fill: parent; leftMargin: 10; rightMargin: 10 }
                            text: String(entry.modelData)
                            wrapMode: menu.wrapEntries ? Text.WrapAnywhere : Text.NoWrap
                            color: entry.offered && menu.quietEntries.indexOf(entry.index) < 0
                                   ? root.fontColor : root.colorGray2
                            Accessible.ignored: true
                        }
                        MouseArea {
                            id: entryArea
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: menu.choose(entry.index)
                        }
                    }
                }
            }
        }
    }
}
