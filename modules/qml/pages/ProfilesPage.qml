import QtQuick
import "../basic"
import "../js/notices.js" as Notices
import "../js/profile_names.js" as ProfileNames

// The named profiles: up to six entries, each a display name and the profile number of its
// file. New and Import add an entry, Export writes the profile in use to a file,
// Delete takes an entry off the list (its file stays), a double click renames, and "Use"
// makes the selected entry's profile the one in use. The list is stored as the name list of
// type 2 after every change and announced to the root (the profile drop-down shows it).
PopupFrame {
    id: page

    // 0 title, 1 New, 2 Import, 3 Export, 4 Delete, 5 name of the first profile, 6 Rename,
    // 7 OK, 8 Cancel, 9 use the selected profile, 10 mark of the profile in use.
    property var texts: ["Profile", "New", "Import", "Export", "Delete", "Standard", "Rename", "OK",
        "Cancel", "Use", "In use"]
    // [{ name, number }] in display order.
    property var entries: []
    property int selectedIndex: -1
    readonly property var selectedEntry: selectedIndex >= 0 && selectedIndex < entries.length
                                         ? entries[selectedIndex] : null
    readonly property bool canAdd: entries.length < ProfileNames.maxEntries
    // The text of the button that opens the programs page (its own language section).
    property string programsText: "Programs"

    signal changeProfile(int number)
    signal profilesChanged(var entries)
    signal openPrograms()

    // Reads the stored list, names its first entry after text 5, and stores it again where
    // that changed it. An empty list becomes one entry for the profile in use.
    function init(send, recovery) {
        var stored = ui_View.getNameList(2)
        // At most six: one entry per profile number 0 … 5.
        var loaded = ProfileNames.parse(stored)
        if (loaded.length === 0)
            loaded = [{ name: "", number: storedProfileInUse() }]
        loaded[0] = { name: texts[5], number: loaded[0].number }
        entries = loaded
        if (ProfileNames.format(entries).join("\n") !== ProfileNames.withoutSentinel(stored).join("\n"))
            ui_View.updataNameList(2, ProfileNames.format(entries))
        profilesChanged(entries)
        selectNumber(storedProfileInUse())
    }

    function save(send) {
        store()
    }

    function storedProfileInUse() {
        var n = Number(ui_View.getGlobalData("mouse/profileNo"))
        return Number.isInteger(n) && n >= 0 && n <= ProfileNames.maxNumber ? n : 0
    }

    function store() {
        ui_View.updataNameList(2, ProfileNames.format(entries))
        profilesChanged(entries)
    }

    function selectNumber(number) {
        var index = ProfileNames.indexOfNumber(entries, number)
        select(index >= 0 ? index : 0)
    }

    // The list moves its own selection on a click; a selection made here moves it too.
    function select(index) {
        selectedIndex = index
        list.currentIndex = index
    }

    // A new entry whose profile is the factory profile.
    function addNew() {
        var entry = ProfileNames.newEntry(entries, root.profileNo)
        if (entry === null)
            return
        ui_View.resetProfile(entry.number)
        entries = entries.concat([entry])
        select(entries.length - 1)
        store()
    }

    // A new entry whose profile is read from a file the user picks; the entry stays only
    // when a file was read.
    function importProfile() {
        var entry = ProfileNames.newEntry(entries, root.profileNo)
        if (entry === null)
            return
        notice.clear()
        if (!ui_View.loadProfile(entry.number)) {
            showRefusal()
            keepFocus(importButton)
            return
        }
        entries = entries.concat([entry])
        select(entries.length - 1)
        store()
        keepFocus(importButton)
    }

    function exportProfile() {
        notice.clear()
        ui_View.saveProfile(root.profileNo)
        showRefusal()
        keepFocus(exportButton)
    }

    // After a file dialog the keyboard stays on the button that opened it, or on the list when
    // that button can no longer be used (the list is full).
    function keepFocus(button) {
        Qt.callLater(function () {
            if (!page.visible)
                return
            if (button.enabled)
                button.forceActiveFocus()
            else
                list.forceActiveFocus()
        })
    }

    // The program's refusal of the file just chosen (codes 1 … 3), said under the list.
    function showRefusal() {
        var refusal = ui_View.profileFileRefusal()
        if (refusal > 0)
            notice.show(Notices.format(root.notices, Notices.Notice.ExportNotAFile + refusal - 1,
                                       [ui_View.lastProfileFile()]))
    }

    function canDelete(index) {
        return ProfileNames.canDelete(entries, index, root.profileNo)
    }

    // Takes the entry off the list; its profile file stays as it is.
    function deleteEntry(index) {
        if (!canDelete(index)) {
            console.log("Profiles: entry " + index + " is the first one or the profile in use; it stays")
            return
        }
        var remaining = entries.slice()
        remaining.splice(index, 1)
        entries = remaining
        selectNumber(root.profileNo)
        store()
    }

    // The first profile takes its name from the language at every start, and two entries
    // never share a name: both are refused with a word under the list.
    function rename(index, name) {
        notice.clear()
        if (index < 0 || index >= entries.length || entries[index].name === name)
            return
        if (index === 0) {
            notice.show(Notices.format(root.notices, Notices.Notice.FirstProfileName, [texts[5]]))
            return
        }
        if (ProfileNames.hasName(entries, String(name))) {
            notice.show(Notices.format(root.notices, Notices.Notice.NameTaken, [name]))
            return
        }
        if (!ProfileNames.canRename(entries, index, name))
            return
        var changed = entries.slice()
        changed[index] = { name: name, number: entries[index].number }
        entries = changed
        store()
    }

    function useSelected() {
        if (selectedEntry !== null && selectedEntry.number !== root.profileNo)
            changeProfile(selectedEntry.number)
    }

    objectName: "profilesPage"
    width: 415
    height: 288
    title: texts[0]
    onCloseClicked: root.closePopup(page)
    onVisibleChanged: if (visible) selectNumber(root.profileNo)

    EditableList {
        id: list
        objectName: "profileList"
        anchors { left: parent.left; top: parent.top; bottom: notice.visible ? notice.top : parent.bottom; right: buttons.left; rightMargin: 16 }
        label: page.texts[0]
        rowHeight: 28
        model: ProfileNames.names(page.entries)
        currentIndex: page.selectedIndex
        markedIndex: ProfileNames.indexOfNumber(page.entries, root.profileNo)
        markName: page.texts[10]
        menuTexts: [page.texts[9], page.texts[6], page.texts[4]]
        onSelected: function (index) { page.selectedIndex = index }
        onRenameRequested: function (index, name) { page.rename(index, name) }
        onDeleteRequested: function (index) { page.deleteEntry(index) }
        onMenuChosen: function (entry, index) {
            if (entry === 0)
                page.useSelected()
            else if (entry === 1)
                list.editEntry(index)
            else
                page.deleteEntry(index)
        }
    }
    NoticeLine {
        id: notice
        objectName: "profileNotice"
        anchors { left: parent.left; right: list.right; bottom: parent.bottom }
        maximumLineCount: 3
    }
    Column {
        id: buttons
        anchors { right: parent.right; top: parent.top }
        width: 120
        spacing: 10

        TextButton {
            objectName: "profileUse"
            width: parent.width
            height: 28
            text: page.texts[9]
            enabled: page.selectedEntry !== null && page.selectedEntry.number !== root.profileNo
            onClicked: page.useSelected()
        }
        TextButton {
            objectName: "profileNew"
            width: parent.width
            height: 28
            text: page.texts[1]
            enabled: page.canAdd
            onClicked: page.addNew()
        }
        TextButton {
            id: importButton
            objectName: "profileImport"
            width: parent.width
            height: 28
            text: page.texts[2]
            enabled: page.canAdd
            onClicked: page.importProfile()
        }
        TextButton {
            id: exportButton
            objectName: "profileExport"
            width: parent.width
            height: 28
            text: page.texts[3]
            onClicked: page.exportProfile()
        }
        TextButton {
            objectName: "profileDelete"
            width: parent.width
            height: 28
            text: page.texts[4]
            enabled: page.canDelete(page.selectedIndex)
            onClicked: page.deleteEntry(page.selectedIndex)
        }
        TextButton {
            objectName: "profilePrograms"
            width: parent.width
            height: 28
            text: page.programsText
            activeFocusOnTab: true
            onClicked: page.openPrograms()
        }
    }
}
