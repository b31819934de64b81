import QtQuick

// The DPI stages of the current profile, the stage in use highlighted.
Card {
    id: panel
    title: "DPI"
    property var values: []
    property int count: 0
    property int current: -1

    Column {
        width: parent.width
        spacing: 6
        Repeater {
            model: panel.count
            Rectangle {
                width: parent.width
                height: 28
                radius: 4
                color: index === panel.current ? "#b20808" : "#25272d"
                border.color: index === panel.current ? "#ff4a4a" : "#3c3c3c"
                Text {
                    anchors { left: parent.left; leftMargin: 10; verticalCenter: parent.verticalCenter }
                    text: "Stage " + (index + 1)
                    color: "#d1d1d1"
                    font { family: "DejaVu Sans"; pixelSize: 12 }
                }
                Text {
                    anchors { right: parent.right; rightMargin: 10; verticalCenter: parent.verticalCenter }
                    text: panel.values[index] !== undefined ? panel.values[index] : ""
                    color: "#ffffff"
                    font { family: "DejaVu Sans"; pixelSize: 12; bold: true }
                }
            }
        }
    }
}
