import QtQuick
import "../basic"

// The "Editor" box of the left panel: the macro editor's entry and the gun editor's,
// which this mouse keeps hidden.
Panel {
    id: box

    property string macroText: "Macro Editor"
    property string gunText: "Gun Editor"
    property bool gunShown: false

    signal macroEditorClicked()
    signal gunEditorClicked()

    implicitWidth: 232
    implicitHeight: 76

    Column {
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 8; topMargin: 2 }
        spacing: 4
        EntryRow {
            objectName: "macroEditorEntry"
            width: parent.width
            text: box.macroText
            icon: root.image("index", "macro")
            onClicked: box.macroEditorClicked()
        }
        EntryRow {
            objectName: "gunEditorEntry"
            width: parent.width
            visible: box.gunShown
            text: box.gunText
            icon: root.image("index", "gun")
            onClicked: box.gunEditorClicked()
        }
    }
}
