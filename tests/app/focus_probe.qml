import QtQuick

// A text field that holds the scene's focus from the start.
Item {
    width: 240
    height: 60

    TextInput {
        objectName: "field"
        anchors.fill: parent
        focus: true
    }
}
