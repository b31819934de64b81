import QtQuick
import "../basic"

// The help menu under the question mark: the support address, opened in the browser, and
// the version. Either entry closes it.
Item {
    id: menu

    property Item owner
    property string url: ""
    property bool open: false
    readonly property var entries: [url, "verison:1.0"]

    function popUp() {
        layer.placeAtScene(frame, Window.width - 300, 30)
        open = true
    }

    function close() {
        open = false
    }

    function choose(index) {
        close()
        if (index === 0 && url.length > 0)
            Qt.openUrlExternally(url)
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
            Accessible.name: "Help"

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
                        objectName: index === 0 ? "askMenuUrl" : "askMenuVersion"
                        width: column.width
                        height: 26
                        radius: 2
                        color: area.containsMouse ? root.colorOrange : "transparent"
                        Accessible.role: Accessible.MenuItem
                        Accessible.name: String(modelData)
                        Accessible.onPressAction: menu.choose(index)
                        UiText {
                            anchors { fill: parent; leftMargin: 10; rightMargin: 10 }
                            text: String(entry.modelData)
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
            }
        }
    }
}
