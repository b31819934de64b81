import QtQuick

// A titled panel of the main screen: dark card, the title in small capitals, and an
// optional icon at the right of the title (a reset icon, for instance).
Rectangle {
    id: panel

    property string title: ""
    property alias tools: toolRow.data
    default property alias content: body.data
    readonly property int headerHeight: title.length > 0 ? 34 : 0

    radius: 6
    color: Qt.rgba(0.10, 0.10, 0.11, 0.92)
    border.color: root.colorGray1

    Accessible.role: Accessible.Grouping
    Accessible.name: title

    UiText {
        id: heading
        visible: panel.title.length > 0
        anchors { left: parent.left; leftMargin: 14; right: toolRow.left; rightMargin: 8; top: parent.top }
        height: panel.headerHeight
        text: root.capitals(panel.title)
        Accessible.name: panel.title
        Accessible.ignored: !visible
        color: root.colorGray2
        font.pixelSize: root.fontMinSize + 1
        font.bold: true
        font.letterSpacing: root.titleSpacing(1)
        Accessible.role: Accessible.Heading
    }
    Row {
        id: toolRow
        anchors { right: parent.right; rightMargin: 8; top: parent.top; topMargin: 5 }
        spacing: 4
    }
    Item {
        id: body
        anchors { left: parent.left; right: parent.right; top: parent.top; bottom: parent.bottom; topMargin: panel.headerHeight }
    }
}
