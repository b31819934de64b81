import QtQuick
import "../basic"

// The icons at the top right (help, minimise, close) and, to their left, the profile
// drop-down.
Item {
    id: menu

    property var profileNames: []
    property int profileIndex: -1
    property string profileLabel: root.accessTexts[3]
    readonly property alias askButton: askIcon

    signal askClicked()
    signal minimizeClicked()
    signal closeClicked()
    signal profileChosen(int index)

    function closeDropDowns() {
        profiles.close()
    }

    width: icons.width
    height: 24

    DropList {
        id: profiles
        objectName: "profileDropDown"
        anchors { right: icons.left; rightMargin: 12; verticalCenter: parent.verticalCenter }
        width: 144
        height: 24
        label: menu.profileLabel
        model: menu.profileNames
        currentIndex: menu.profileIndex
        onChosen: function (index) { menu.profileChosen(index) }
    }
    Row {
        id: icons
        spacing: 4
        IconButton {
            id: askIcon
            objectName: "askButton"
            name: root.accessTexts[0]
            source: root.image("index", "ask")
            onClicked: menu.askClicked()
        }
        IconButton {
            objectName: "minimizeButton"
            name: root.accessTexts[1]
            source: root.image("index", "minimize")
            onClicked: menu.minimizeClicked()
        }
        IconButton {
            objectName: "closeButton"
            name: root.accessTexts[2]
            source: root.image("index", "close")
            hoverColor: root.colorOrange
            onClicked: menu.closeClicked()
        }
    }
}
