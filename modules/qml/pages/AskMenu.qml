import QtQuick
import "../basic"
import "../js/notices.js" as Notices

// The help menu under the question mark: the support address, opened in the browser, and
// the version. Either entry closes it, unless no browser could be started: then the menu says
// so and shows the whole address, to be selected and copied. Opened, it holds the keyboard: Up
// and Down move the highlight, Enter chooses, Esc or Tab close it and the focus goes back to the
// question mark.
Item {
    id: menu

    property Item owner
    property string url: ""
    property bool open: false
    property int highlighted: 0
    property string name: root.accessTexts[0]
    readonly property var entries: [url, "verison:1.0"]
    // No browser took the address the last time.
    property bool failed: false

    function popUp() {
        failed = false
        layer.placeAtScene(frame, Window.width - 300, 30)
        open = true
        highlight(0)
    }

    function close() {
        if (!open)
            return
        var hadFocus = holdsFocus()
        open = false
        if (hadFocus && owner)
            owner.forceActiveFocus()
    }

    function holdsFocus() {
        for (var i = frame.Window.activeFocusItem; i; i = i.parent) {
            if (i === frame)
                return true
        }
        return false
    }

    // The highlighted entry holds the focus, so a screen reader says it.
    function highlight(index) {
        highlighted = index
        var entry = rows.itemAt(index)
        if (entry)
            entry.forceActiveFocus()
    }

    function choose(index) {
        if (index === 0 && url.length > 0 && !Qt.openUrlExternally(url)) {
            failed = true
            return
        }
        close()
    }

    DropLayer {
        id: layer
        owner: menu.owner
        shown: menu.open
        onDismissed: menu.close()

        Rectangle {
            id: frame
            width: 200
            height: column.height + 8
            radius: 3
            color: root.colorGray0
            border.color: root.colorGray2
            Accessible.role: Accessible.PopupMenu
            Accessible.name: menu.name
            Keys.onUpPressed: menu.highlight(0)
            Keys.onDownPressed: menu.highlight(1)
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
                        objectName: index === 0 ? "askMenuUrl" : "askMenuVersion"
                        width: column.width
                        height: Math.max(26, entryText.implicitHeight + 8)
                        radius: 2
                        color: area.containsMouse || activeFocus ? root.colorOrange : "transparent"
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: String(modelData)
                        Accessible.selected: index === menu.highlighted
                        Accessible.onPressAction: menu.choose(index)
                        UiText {
                            id: entryText
                            anchors { fill: parent; leftMargin: 10; rightMargin: 10 }
                            text: String(entry.modelData)
                            // The whole address, on as many lines as it needs.
                            wrapMode: Text.WrapAnywhere
                            color: entry.index === 0 ? root.fontColor : root.colorGray2
                            Accessible.ignored: true
                        }
                        MouseArea {
                            id: area
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: menu.choose(entry.index)
                        }
                    }
                }
                UiText {
                    objectName: "askMenuNotice"
                    width: parent.width
                    leftPadding: 10
                    rightPadding: 10
                    visible: menu.failed
                    text: Notices.format(root.notices, Notices.Notice.NoBrowser)
                    color: "#ff6a5a"
                    wrapMode: Text.WordWrap
                    Accessible.role: Accessible.AlertMessage
                }
                TextEdit {
                    objectName: "askMenuAddress"
                    width: parent.width
                    leftPadding: 10
                    rightPadding: 10
                    bottomPadding: 4
                    visible: menu.failed
                    text: menu.url
                    readOnly: true
                    selectByMouse: true
                    wrapMode: TextEdit.WrapAnywhere
                    color: root.fontColor
                    selectionColor: root.colorBlue
                    font.family: root.fontFamily
                    font.pixelSize: root.fontNormalSize
                    activeFocusOnTab: true
                    Accessible.role: Accessible.EditableText
                    Accessible.name: text
                }
            }
        }
    }
}
