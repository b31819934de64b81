import QtQuick

// What the program knows about the connected device.
Card {
    id: panel
    title: "Device"
    property string family: ""
    property bool colorful: false
    property bool gun: false
    property int profile: 0

    Column {
        width: parent.width
        spacing: 8
        Repeater {
            model: [
                { label: "Status", value: "Connected" },
                { label: "Controller", value: panel.family === "560" ? "560 family" : "553 family" },
                { label: "Lighting", value: panel.colorful ? "Multi-colour" : "Single colour" },
                { label: "Recoil control", value: panel.gun ? "Yes" : "No" },
                { label: "Profile", value: String(panel.profile + 1) }
            ]
            Item {
                width: parent.width
                height: 18
                Text {
                    text: modelData.label
                    color: "#969696"
                    font { family: "DejaVu Sans"; pixelSize: 12 }
                }
                Text {
                    anchors.right: parent.right
                    text: modelData.value
                    color: index === 0 ? "#4cd964" : "#ffffff"
                    font { family: "DejaVu Sans"; pixelSize: 12; bold: index === 0 }
                }
            }
        }
    }
}
