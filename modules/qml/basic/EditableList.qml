import QtQuick

// A list of names with one selected entry (or none): a left click selects, a right click
// selects and opens the list's menu, a double click opens the name for editing in place.
// The owner decides what a menu entry and a new name do. One entry may wear a mark (the one
// in use, say), named markName for a screen reader.
Rectangle {
    id: list

    property string label: ""
    property var model: []
    property int currentIndex: -1
    property var menuTexts: []
    property int rowHeight: 24
    property int editingIndex: -1
    property int markedIndex: -1
    property string markName: ""

    signal selected(int index)
    signal menuChosen(int entry, int index)
    signal renameRequested(int index, string name)

    color: root.colorBlack
    border.color: root.colorGray1
    radius: 2
    clip: true

    Accessible.role: Accessible.List
    Accessible.name: label

    // Opens the entry at index for editing, as a double click does.
    function editEntry(index) {
        if (index < 0 || index >= model.length)
            return
        currentIndex = index
        selected(index)
        editingIndex = index
    }

    function finishEditing(accept, text) {
        var index = editingIndex
        editingIndex = -1
        if (accept && index >= 0 && text.length > 0 && text !== String(list.model[index]))
            renameRequested(index, text)
    }

    ListView {
        id: view
        anchors.fill: parent
        anchors.margins: 1
        model: list.model
        boundsBehavior: Flickable.StopAtBounds
        currentIndex: list.currentIndex

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
            Accessible.name: String(modelData)
            Accessible.selected: index === list.currentIndex
            Accessible.description: index === list.markedIndex ? list.markName : ""
            Accessible.onPressAction: { list.currentIndex = index; list.selected(index) }

            UiText {
                anchors { fill: parent; leftMargin: 8; rightMargin: mark.visible ? 24 : 8 }
                visible: list.editingIndex !== row.index
                text: String(row.modelData)
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
                    maximumLength: 64
                    font.family: root.fontFamily
                    font.pixelSize: root.fontNormalSize
                    Accessible.role: Accessible.EditableText
                    Accessible.name: list.label
                    onVisibleChanged: if (visible) {
                        text = String(row.modelData)
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

    ContextMenu {
        id: menu
        objectName: list.objectName + "Menu"
        owner: list
        entries: list.menuTexts
        onChosen: function (entry) { list.menuChosen(entry, list.currentIndex) }
    }
}
