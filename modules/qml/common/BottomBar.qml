import QtQuick
import "../basic"

// "Config", "Reset" and "Save" at the bottom right. Save is red while something is not
// saved yet. A button is 64 wide, wider where its word needs it.
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

    component Fit: TextMetrics {
        font.family: root.fontFamily
        font.pixelSize: root.fontNormalSize
    }
    Fit { id: configFit; text: bar.configText }
    Fit { id: resetFit; text: bar.resetText }
    Fit { id: saveFit; text: bar.saveText }

    TextButton {
        objectName: "configButton"
        width: Math.max(64, Math.ceil(configFit.advanceWidth) + 12)
        height: 24
        text: bar.configText
        onClicked: bar.configClicked()
    }
    TextButton {
        objectName: "resetButton"
        width: Math.max(64, Math.ceil(resetFit.advanceWidth) + 12)
        height: 24
        text: bar.resetText
        onClicked: bar.resetClicked()
    }
    TextButton {
        objectName: "saveButton"
        width: Math.max(64, Math.ceil(saveFit.advanceWidth) + 12)
        height: 24
        text: bar.saveText
        alert: bar.unsaved
        onClicked: bar.saveClicked()
    }
}
