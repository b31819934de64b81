import QtQuick

// A list of names with one selected entry (or none): a left click selects, a right click
// selects and opens the list's menu, a double click opens the name for editing in place.
// The owner decides what a menu entry and a new name do. Entries that are not plain names
// (steps of a macro, say) are drawn through textOf and iconOf, and editTextOf gives the part
// of an entry that can be edited (null: the entry cannot be). One entry may wear a mark
// (the one in use, say), named markName for a screen reader.
//
// From the keyboard the list is one stop of the Tab order: Up and Down move the selection,
// Enter and F2 open the selected entry for editing (as a double click does), Delete asks the
// owner to delete it (deleteRequested), and the Menu key or Shift+F10 open the list's menu at
// the selected entry.
Rectangle {
    id: list

    property string label: ""
    property var model: []
    property int currentIndex: -1
    property var menuTexts: []
    // Menu entries shown greyed, not offered.
    property var menuDisabled: []
    property int rowHeight: 24
    property int editingIndex: -1
    // function (entry, index) → the text shown; the entry itself when null.
    property var textOf: null
    // function (entry, index) → the address of a small picture before the text, or "".
    property var iconOf: null
    // function (entry, index) → the text to edit, or null when the entry cannot be edited.
    property var editTextOf: null
    property int maximumLength: 64
    // A right click below the entries clears the selection and opens the menu too.
    property bool menuOnEmpty: false
    property int markedIndex: -1
    property string markName: ""

    signal selected(int index)
    signal menuChosen(int entry, int index)
    signal renameRequested(int index, string name)
    // Editing ended with Enter on an emptied text (the owner says why nothing changed).
    signal emptied(int index)
    signal deleteRequested(int index)

    color: root.colorBlack
    border.color: root.colorGray1
    radius: 2

    Accessible.role: Accessible.List
    Accessible.name: label

    function shownText(index) {
        return textOf ? String(textOf(model[index], index)) : String(model[index])
    }

    // The text an entry offers for editing; null when it offers none.
    function editText(index) {
        if (index < 0 || index >= model.length)
            return null
        if (!editTextOf)
            return String(model[index])
        var text = editTextOf(model[index], index)
        return text === null || text === undefined ? null : String(text)
    }

    // Opens the entry at index for editing, as a double click does.
    function editEntry(index) {
        if (index < 0 || index >= model.length)
            return
        currentIndex = index
        selected(index)
        if (editText(index) !== null)
            editingIndex = index
    }

    function finishEditing(accept, text) {
        var index = editingIndex
        var hadFocus = editorHasFocus()
        editingIndex = -1
        if (hadFocus)
            list.forceActiveFocus()
        if (accept && index >= 0 && text.length === 0)
            emptied(index)
        else if (accept && index >= 0 && text !== editText(index))
            renameRequested(index, text)
    }

    function editorHasFocus() {
        var item = Window.activeFocusItem
        return item !== null && item.objectName === list.objectName + "Editor"
    }

    function moveSelection(delta) {
        if (model.length === 0)
            return
        var index = currentIndex < 0 ? (delta > 0 ? 0 : model.length - 1)
                                     : Math.max(0, Math.min(model.length - 1, currentIndex + delta))
        if (index === currentIndex)
            return
        currentIndex = index
        selected(index)
    }

    // The menu opens over the selected entry, or at the top of the list without one.
    function openMenuFromKeyboard() {
        if (menuTexts.length === 0 || (currentIndex < 0 && !menuOnEmpty))
            return
        var rowY = currentIndex >= 0 ? (currentIndex + 1) * rowHeight - view.contentY : 0
        menu.popUp(Qt.point(16, Math.max(0, Math.min(height - 4, rowY))))
    }

    activeFocusOnTab: true
    Keys.onUpPressed: moveSelection(-1)
    Keys.onDownPressed: moveSelection(1)
    Keys.onPressed: function (event) {
        switch (event.key) {
        case Qt.Key_Return: case Qt.Key_Enter: case Qt.Key_F2:
            editEntry(currentIndex)
            break
        case Qt.Key_Delete:
            if (currentIndex >= 0)
                deleteRequested(currentIndex)
            break
        case Qt.Key_Menu:
            openMenuFromKeyboard()
            break
        case Qt.Key_F10:
            if (!(event.modifiers & Qt.ShiftModifier))
                return
            openMenuFromKeyboard()
            break
        default:
            return
        }
        event.accepted = true
    }

    FocusRing {
        shown: list.activeFocus
    }

    ListView {
        id: view
        anchors.fill: parent
        anchors.margins: 1
        clip: true
        model: list.model
        boundsBehavior: Flickable.StopAtBounds
        currentIndex: list.currentIndex
        onCurrentIndexChanged: if (currentIndex >= 0) positionViewAtIndex(currentIndex, ListView.Contain)

        delegate: Rectangle {
            id: row
            required property int index
            required property var modelData
            objectName: list.objectName + "Row" + index
            width: view.width
            height: list.rowHeight
            color: index === list.currentIndex ? root.colorBlue
                 : rowArea.containsMouse ? root.colorGray1 : "transparent"
            Accessible.role: Accessible.ListItem
            Accessible.name: list.shownText(index)
            Accessible.selected: index === list.currentIndex
            Accessible.description: index === list.markedIndex ? list.markName : ""
            Accessible.onPressAction: { list.currentIndex = index; list.selected(index) }

            Image {
                id: icon
                anchors { left: parent.left; leftMargin: 8; verticalCenter: parent.verticalCenter }
                width: list.iconOf ? 14 : 0
                height: 14
                sourceSize.width: 14
                sourceSize.height: 14
                source: list.iconOf ? list.iconOf(row.modelData, row.index) : ""
            }
            UiText {
                anchors { fill: parent; leftMargin: icon.width > 0 ? 28 : 8; rightMargin: mark.visible ? 24 : 8 }
                visible: list.editingIndex !== row.index
                text: list.shownText(row.index)
                Accessible.ignored: true
            }
            Rectangle {
                id: mark
                objectName: list.objectName + "Mark" + row.index
                anchors { right: parent.right; rightMargin: 10; verticalCenter: parent.verticalCenter }
                width: 8
                height: 8
                radius: 4
                visible: row.index === list.markedIndex && list.editingIndex !== row.index
                color: root.colorOrange
                border.color: root.fontColor
            }
            MouseArea {
                id: rowArea
                anchors.fill: parent
                hoverEnabled: true
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onPressed: function (mouse) {
                    if (list.editingIndex >= 0 && list.editingIndex !== row.index)
                        list.finishEditing(false, "")
                    list.currentIndex = row.index
                    list.selected(row.index)
                    if (mouse.button === Qt.RightButton && list.menuTexts.length > 0) {
                        menu.popUp(mapToItem(list, mouse.x, mouse.y))
                    }
                }
                onDoubleClicked: function (mouse) {
                    if (mouse.button === Qt.LeftButton)
                        list.editEntry(row.index)
                }
            }
            Rectangle {
                anchors.fill: parent
                anchors.margins: 1
                visible: list.editingIndex === row.index
                color: root.colorBlack
                border.color: root.colorOrange
                TextInput {
                    id: editor
                    // Only the editor in use carries the name.
                    objectName: list.editingIndex === row.index ? list.objectName + "Editor" : ""
                    anchors { fill: parent; leftMargin: 7; rightMargin: 7 }
                    verticalAlignment: TextInput.AlignVCenter
                    color: root.fontColor
                    selectionColor: root.colorBlue
                    selectByMouse: true
                    clip: true
                    maximumLength: list.maximumLength
                    font.family: root.fontFamily
                    font.pixelSize: root.fontNormalSize
                    Accessible.role: Accessible.EditableText
                    Accessible.name: list.label
                    onVisibleChanged: if (visible) {
                        text = list.editText(row.index) || ""
                        selectAll()
                        forceActiveFocus()
                    }
                    Keys.onReturnPressed: list.finishEditing(true, text.trim())
                    Keys.onEnterPressed: list.finishEditing(true, text.trim())
                    Keys.onEscapePressed: list.finishEditing(false, "")
                    onActiveFocusChanged: if (!activeFocus && list.editingIndex === row.index)
                        list.finishEditing(true, text.trim())
                }
            }
        }
    }

    // The free space below the last entry.
    MouseArea {
        objectName: list.objectName + "Empty"
        x: 1
        y: Math.min(list.height, Math.max(0, view.contentHeight - view.contentY) + 1)
        width: list.width - 2
        height: list.height - y
        acceptedButtons: Qt.RightButton
        enabled: list.menuOnEmpty && list.menuTexts.length > 0
        onPressed: function (mouse) {
            if (list.editingIndex >= 0)
                list.finishEditing(false, "")
            list.currentIndex = -1
            list.selected(-1)
            menu.popUp(mapToItem(list, mouse.x, mouse.y))
        }
    }

    ContextMenu {
        id: menu
        objectName: list.objectName + "Menu"
        owner: list
        entries: list.menuTexts
        name: list.label
        disabledEntries: list.menuDisabled
        onChosen: function (entry) { list.menuChosen(entry, list.currentIndex) }
    }
}
