import QtQuick

// A row that opens something: an icon, a text and a chevron.
Pressable {
    id: entry

    property string text: ""
    property url icon

    signal clicked()

    implicitWidth: 232
    implicitHeight: 24
    radius: 3
    color: area.containsMouse ? root.colorBlue : "transparent"
    border.color: area.containsMouse ? Qt.lighter(root.colorBlue, 1.5) : "transparent"

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: if (enabled) entry.clicked()
    onActivated: entry.clicked()

    Image {
        id: glyph
        anchors { left: parent.left; leftMargin: 8; verticalCenter: parent.verticalCenter }
        source: entry.icon
        sourceSize: Qt.size(16, 16)
        visible: String(entry.icon).length > 0
    }
    UiText {
        anchors { left: glyph.visible ? glyph.right : parent.left; leftMargin: 8; right: chevron.left; verticalCenter: parent.verticalCenter }
        text: entry.text
        Accessible.ignored: true
    }
    Image {
        id: chevron
        anchors { right: parent.right; rightMargin: 6; verticalCenter: parent.verticalCenter }
        source: root.image("index", "chevron")
        sourceSize: Qt.size(12, 12)
        opacity: 0.6
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: entry.clicked()
    }
}
