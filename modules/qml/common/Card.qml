import QtQuick

// A titled panel of the main screen.
Rectangle {
    id: card
    property string title: ""
    default property alias content: body.data

    width: 232
    height: body.childrenRect.height + 56
    radius: 8
    color: "#1a1a1a"
    border.color: "#3c3c3c"

    Text {
        id: heading
        anchors { left: parent.left; top: parent.top; leftMargin: 16; topMargin: 12 }
        text: card.title
        color: "#969696"
        font { family: "DejaVu Sans"; pixelSize: 12; bold: true; letterSpacing: 2; capitalization: Font.AllUppercase }
    }
    Item {
        id: body
        anchors { left: parent.left; right: parent.right; top: heading.bottom; margins: 16; topMargin: 12 }
        height: childrenRect.height
    }
}
