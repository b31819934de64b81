import QtQuick
import "../basic"

// "Config", "Reset" and "Save" at the bottom right. Save is red while something is not
// saved yet.
Row {
    id: bar

    property string configText: "Config"
    property string resetText: "Reset"
    property string saveText: "Save"
    property bool unsaved: false

    signal configClicked()
    signal resetClicked()
    signal saveClicked()

    spacing: 16

    TextButton {
        objectName: "configButton"
        width: 64
        height: 24
        text: bar.configText
        onClicked: bar.configClicked()
    }
    TextButton {
        objectName: "resetButton"
        width: 64
        height: 24
        text: bar.resetText
        onClicked: bar.resetClicked()
    }
    TextButton {
        objectName: "saveButton"
        width: 64
        height: 24
        text: bar.saveText
        alert: bar.unsaved
        onClicked: bar.saveClicked()
    }
}
