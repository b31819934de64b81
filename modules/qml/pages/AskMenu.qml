import QtQuick
import "../basic"
import "../js/notices.js" as Notices

// The help menu under the question mark: the support address, opened in the browser, and
// the version. Either entry closes it, unless no browser could be started: then the menu says
// so and shows the whole address, to be selected and copied. Its keyboard is the context
// menu's: Up and Down move the highlight, Enter chooses, Esc or Tab close it, and the focus
// goes back to the question mark.
ContextMenu {
    id: menu

    property string url: ""
    // No browser took the address the last time.
    property bool failed: false

    // Opens at its place below the top menu.
    function popUpHelp() {
        failed = false
        popUpAtScene(Window.width - 300, 30)
    }

    entries: [url, "verison:1.0"]
    entryNames: ["askMenuUrl", "askMenuVersion"]
    quietEntries: [1]
    name: root.accessTexts[0]
    returnFocusTo: owner
    menuWidth: 200
    entryHeight: 26
    wrapEntries: true
    // The address goes to the browser; the menu stays open when none takes it.
    accept: function (index) {
        if (index === 0 && url.length > 0 && !Qt.openUrlExternally(url)) {
            failed = true
            return false
        }
        return true
    }

    UiText {
        objectName: "askMenuNotice"
        width: parent.width
        leftPadding: 10
        rightPadding: 10
        visible: menu.failed
        text: Notices.format(root.notices, Notices.Notice.NoBrowser)
        color: "#ff6a5a"
        wrapMode: Text.WordWrap
        Accessible.role: Accessible.AlertMessage
    }
    TextEdit {
        objectName: "askMenuAddress"
        width: parent.width
        leftPadding: 10
        rightPadding: 10
        bottomPadding: 4
        visible: menu.failed
        text: menu.url
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.WrapAnywhere
        color: root.fontColor
        selectionColor: root.colorBlue
        font.family: root.fontFamily
        font.pixelSize: root.fontNormalSize
        activeFocusOnTab: true
        Accessible.role: Accessible.EditableText
        Accessible.name: text
    }
}
