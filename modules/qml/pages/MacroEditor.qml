import QtQuick
import "../basic"
import "../js/key_names.js" as KeyNames
import "../js/macro_names.js" as MacroNames
import "../js/macro_record.js" as MacroRecord
import "../js/macro_steps.js" as MacroSteps
import "../js/notices.js" as Notices

// The macro editor: the list of macros, the steps of the selected one, recording from the
// keys and mouse buttons of the whole desktop, and the step edits. Every change is written to
// the macro's file at once and announced with modifyMacroData, so that the root sends the
// macro again to every button bound to it; changes of the list are announced with
// macroNamesChanged (the assignment page offers these names).
//
// Keys reach the page through the root's msg_KB, mouse buttons through msg_MS (left 0xF0,
// right 0xF1, middle 0xF2, with the pointer's screen position). A recording takes a button
// press only away from this page, and a release only of a press it took, so the clicks that
// start and stop a recording never become steps. Keys likewise: a release counts only for a
// press in the recording (the Enter that started it is not a step), and Esc stops the
// recording from the keyboard instead of being recorded.
PopupFrame {
    id: page

    property var texts: ["Macro Editor", "Macro Name", "New", "Delete", "Action", "Stop Record",
        "Times", "OK", "Start Record", "Delay", "Delete", "Import", "Export", "Insert Delay",
        "Insert Key", "Insert Left Key", "Insert Middle Key", "Insert Right Key", "bytes",
        "This name cannot be used for a macro file"]

    // The macro names in display order, and the selected one (-1: none).
    property var names: []
    property int currentIndex: -1
    readonly property string currentName: currentIndex >= 0 && currentIndex < names.length
                                          ? names[currentIndex] : ""
    // The steps of the selected macro (texts type + "," + info) and its repeat count.
    property var steps: []
    property int repeat: 1
    property bool withDelay: false
    property bool isInputting: false
    property bool isInsertting: false
    // The key the insert dialog shows (0: none yet) and where the dialog was opened.
    property int insertCode: 0
    property int insertFrom: -1
    // Recording: the clock reading of the previous event, and the buttons whose press is in
    // the recording.
    property real lastEventTime: 0
    property var heldButtons: ({})
    property var heldKeys: ({})
    property string hint: ""
    readonly property bool busy: isInputting || isInsertting
    readonly property int encodedSize: MacroRecord.encodedSize(steps)
    readonly property bool listFull: names.length >= MacroNames.maxMacros
    // The step menu's insert entries (1 … 5) whose steps no longer fit the record.
    readonly property var fullInserts: {
        var samples = [[MacroSteps.delayStep(MacroSteps.insertedDelayMs)], MacroSteps.pairOf(0x04),
                       MacroSteps.pairOf(0xF0), MacroSteps.pairOf(0xF2), MacroSteps.pairOf(0xF1)]
        var full = []
        for (var i = 0; i < samples.length; ++i) {
            if (!MacroRecord.canAddSteps(steps, samples[i]))
                full.push(i + 1)
        }
        return full
    }

    signal macroNamesChanged(var names)
    signal deleteMacro(string name)
    // The user asked to delete the selected macro; the root asks before removeMacro runs.
    signal deleteAsked(string name)
    signal modifyMacroName(string oldName, string newName)
    signal modifyMacroData(string name)

    // Loads the list of macros; the page keeps no profile settings, so send and recovery
    // change nothing here.
    function init(send, recovery) {
        names = MacroNames.fromStored(ui_View.getNameList(0))
        selectMacro(names.length > 0 ? 0 : -1)
        macroNamesChanged(names.slice())
    }

    // Every change is saved when it is made.
    function save(send) {
    }

    // --- the macro list ------------------------------------------------------------------

    function macroFileExists(name) {
        return ui_View.loadMacroIni(name).length > 0
    }

    function selectMacro(index) {
        currentIndex = index >= 0 && index < names.length ? index : -1
        var stored = MacroRecord.splitStored(currentIndex >= 0 ? ui_View.loadMacroIni(currentName) : [])
        steps = stored.steps
        repeat = stored.repeat
        macroList.currentIndex = currentIndex
        stepList.currentIndex = -1
    }

    // The steps show their keys by the names of the language in use (after a change of it).
    function showKeyNames() {
        steps = steps.slice()
    }

    function storeNames() {
        ui_View.updataNameList(0, names)
        macroNamesChanged(names.slice())
    }

    function newName() {
        return MacroNames.nextFree(names, macroFileExists)
    }

    function newMacro() {
        var name = newName()
        if (busy || name === "")
            return
        names = MacroNames.insertedAt(names, names.length, name)
        selectMacro(names.length - 1)
        ui_View.createMacroIni(name, 0)
        storeNames()
    }

    function askToDelete() {
        if (!busy && currentIndex >= 0)
            deleteAsked(currentName)
    }

    function removeMacro() {
        var index = currentIndex
        if (busy || index < 0)
            return
        var name = currentName
        ui_View.deleteMacroIni(name)
        steps = []
        deleteMacro(name)
        names = MacroNames.removedAt(names, index)
        storeNames()
        selectMacro(Math.min(index, names.length - 1))
    }

    // A macro file chosen by the user becomes a new macro before the selected one; without a
    // file the new macro starts empty.
    function importMacro() {
        if (listFull) {
            showHint(Notices.format(root.notices, Notices.Notice.MacroListFull, [MacroNames.maxMacros]))
            return
        }
        var name = newName()
        if (busy || name === "")
            return
        var at = currentIndex >= 0 ? currentIndex : names.length
        names = MacroNames.insertedAt(names, at, name)
        if (!ui_View.loadMacroFile(name))
            ui_View.createMacroIni(name, 0)
        selectMacro(at)
        storeNames()
    }

    function exportMacro() {
        if (!busy && currentIndex >= 0)
            ui_View.saveMacroFile(currentName)
    }

    // A name already in the list, one the file store cannot take, or one an unlisted macro
    // file has already, is refused with the hint; the macro's own name changes nothing.
    function renameMacro(index, name) {
        hint = ""
        if (busy || index < 0 || index >= names.length || names[index] === name)
            return
        if (names.indexOf(name) >= 0) {
            showHint(Notices.format(root.notices, Notices.Notice.NameTaken, [name]))
            return
        }
        if (!ui_View.isUsableMacroName(name) || macroFileExists(name)) {
            showHint(texts[19])
            return
        }
        modifyMacroName(names[index], name)
        if (!macroFileExists(name)) {
            showHint(texts[19])
            return
        }
        names = MacroNames.replacedAt(names, index, name)
        storeNames()
    }

    function showHint(text) {
        hint = text
        hintTimer.restart()
    }

    function macroMenuChosen(entry) {
        switch (entry) {
        case 0: askToDelete(); break
        case 1: importMacro(); break
        case 2: exportMacro(); break
        }
    }

    // --- steps -----------------------------------------------------------------------------

    // Writes the steps and the repeat count of the selected macro and announces the change.
    // A listed macro whose file has gone gets a new one rather than losing the change.
    function saveSteps() {
        if (currentIndex < 0)
            return
        var name = currentName
        if (!ui_View.saveMacroIni(name, steps, repeat)) {
            console.log("Macro " + name + ": its file was missing and is written anew")
            if (!ui_View.createMacroIni(name, 0) || !ui_View.saveMacroIni(name, steps, repeat)) {
                showHint(texts[19])
                return
            }
        }
        modifyMacroData(name)
    }

    // Puts added at position at, when the macro has room for them; selects the step at select.
    function insertSteps(at, added, select) {
        if (currentIndex < 0 || added.length === 0)
            return
        if (!MacroRecord.canAddSteps(steps, added, at)) {
            showHint(Notices.format(root.notices, Notices.Notice.MacroFull, [MacroRecord.sizeLimit]))
            return
        }
        steps = MacroSteps.inserted(steps, at, added)
        stepList.currentIndex = select
        saveSteps()
    }

    function deleteStep() {
        var index = stepList.currentIndex
        if (busy || index < 0 || index >= steps.length)
            return
        steps = MacroSteps.removed(steps, index)
        stepList.currentIndex = Math.min(index, steps.length - 1)
        saveSteps()
    }

    function insertDelay() {
        var at = MacroSteps.delayInsertPosition(steps.length, stepList.currentIndex)
        if (!busy)
            insertSteps(at, [MacroSteps.delayStep(MacroSteps.insertedDelayMs)], at)
    }

    function insertButton(code) {
        var at = MacroSteps.buttonInsertPosition(steps.length, stepList.currentIndex)
        if (!busy)
            insertSteps(at, MacroSteps.pairOf(code), at)
    }

    function openInsertDialog() {
        if (busy || currentIndex < 0)
            return
        if (fullInserts.indexOf(2) >= 0) {
            showHint(Notices.format(root.notices, Notices.Notice.MacroFull, [MacroRecord.sizeLimit]))
            return
        }
        insertFrom = stepList.currentIndex
        insertCode = 0
        isInsertting = true
        insertOk.forceActiveFocus()
    }

    // "OK": the key shown goes in as a press and a release; without a key nothing changes.
    function closeInsertDialog(accept) {
        if (!isInsertting)
            return
        isInsertting = false
        if (insertOk.activeFocus || insertClose.activeFocus)
            stepList.forceActiveFocus()
        if (!accept || insertCode === 0)
            return
        var at = MacroSteps.keyInsertPosition(steps.length, insertFrom)
        insertSteps(at, MacroSteps.pairOf(insertCode), at)
    }

    // A delay that is not a whole number of milliseconds the mouse can wait is refused, and
    // the hint beside the steps says so.
    function editDelay(index, text) {
        if (busy || MacroSteps.delayEditText(steps[index]) === null)
            return
        var ms = MacroSteps.parseDelay(text)
        if (ms < 0) {
            showHint(Notices.format(root.notices, Notices.Notice.DelayRefused, [MacroSteps.maxDelayMs]))
            return
        }
        var step = MacroSteps.delayStep(ms)
        if (!MacroSteps.canReplace(steps, index, step))
            return
        steps = MacroSteps.replaced(steps, index, step)
        saveSteps()
    }

    function setRepeat(count) {
        if (currentIndex < 0 || count === repeat)
            return
        repeat = count
        saveSteps()
    }

    function stepMenuChosen(entry) {
        switch (entry) {
        case 0: deleteStep(); break
        case 1: insertDelay(); break
        case 2: openInsertDialog(); break
        case 3: insertButton(0xF0); break
        case 4: insertButton(0xF2); break
        case 5: insertButton(0xF1); break
        }
    }

    // --- recording ---------------------------------------------------------------------------

    function toggleRecording() {
        if (isInputting)
            stopRecording()
        else
            startRecording()
    }

    function startRecording() {
        if (busy || currentIndex < 0)
            return
        steps = []
        heldButtons = {}
        heldKeys = {}
        lastEventTime = Date.now()
        isInputting = true
        recordButton.forceActiveFocus()
    }

    function stopRecording() {
        if (!isInputting)
            return
        isInputting = false
        heldButtons = {}
        heldKeys = {}
        saveSteps()
    }

    // One transition while recording; false when it was not taken.
    function record(isDown, code) {
        var now = Date.now()
        var next = MacroSteps.recorded(steps, isDown, code,
                                       MacroSteps.ticksBetween(lastEventTime, now), withDelay)
        if (next === null) {
            if (encodedSize >= MacroRecord.sizeLimit)
                showHint(Notices.format(root.notices, Notices.Notice.MacroFull, [MacroRecord.sizeLimit]))
            return false
        }
        steps = next
        lastEventTime = now
        stepList.currentIndex = steps.length - 1
        return true
    }

    function keyTransition(isDown, usbCode) {
        if (currentIndex < 0 || KeyNames.isMouseButton(usbCode))
            return
        if (isInsertting) {
            if (KeyNames.nameOf(usbCode) !== "")
                insertCode = usbCode
        } else if (isInputting && usbCode !== KeyNames.escapeCode
                   && (isDown || heldKeys[usbCode] === true)) {
            if (!record(isDown, usbCode))
                return
            if (isDown)
                heldKeys[usbCode] = true
            else
                delete heldKeys[usbCode]
        }
    }

    // Whether the screen point (x, y) lies on this page.
    function onPage(x, y) {
        var p = page.mapFromGlobal(x, y)
        return p.x >= 0 && p.y >= 0 && p.x < page.width && p.y < page.height
    }

    function buttonTransition(isDown, code, x, y) {
        if (!isInputting || currentIndex < 0 || !KeyNames.isMouseButton(code))
            return
        if (!MacroSteps.takesButton(heldButtons, isDown, code, isDown && onPage(x, y)))
            return
        if (!record(isDown, code))
            return
        if (isDown)
            heldButtons[code] = true
        else
            delete heldButtons[code]
    }

    objectName: "macroEditor"
    width: 640
    height: 448
    title: texts[0]
    onCloseClicked: page.close()
    onVisibleChanged: if (!visible) {
        closeInsertDialog(false)
        stopRecording()
    }

    Connections {
        target: root
        function onMsg_KB(isDown, usbCode) { page.keyTransition(isDown, usbCode) }
        function onMsg_MS(isDown, code, x, y) { page.buttonTransition(isDown, code, x, y) }
    }

    Binding {
        target: repeatField
        property: "value"
        value: page.repeat
    }

    Timer {
        id: hintTimer
        interval: 6000
        onTriggered: page.hint = ""
    }

    // --- layout: macro names | steps | record and repeat ------------------------------------

    Column {
        id: macroColumn
        anchors { left: parent.left; top: parent.top; bottom: parent.bottom }
        width: 180
        spacing: 4

        UiText {
            width: parent.width
            height: 20
            text: page.texts[1]
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray2
        }
        EditableList {
            id: macroList
            objectName: "macroList"
            width: parent.width
            height: parent.height - 24 - 32
            label: page.texts[1]
            model: page.names
            enabled: !page.busy
            menuTexts: [page.texts[10], page.texts[11], page.texts[12]]
            menuDisabled: page.listFull ? [1] : []
            menuOnEmpty: true
            maximumLength: ui_View.macroNameMaxLength()
            onSelected: function (index) { page.selectMacro(index) }
            onMenuChosen: function (entry) { page.macroMenuChosen(entry) }
            onRenameRequested: function (index, name) { page.renameMacro(index, name) }
            // Asked like the Delete button and the menu: the buttons bound to it lose it.
            onDeleteRequested: page.askToDelete()
        }
        Row {
            height: 28
            spacing: 8
            topPadding: 4
            TextButton {
                objectName: "macroNewButton"
                width: 86
                text: page.texts[2]
                enabled: !page.busy && page.names.length < MacroNames.maxMacros
                onClicked: page.newMacro()
            }
            TextButton {
                objectName: "macroDeleteButton"
                width: 86
                text: page.texts[3]
                enabled: !page.busy && page.currentIndex >= 0
                onClicked: page.askToDelete()
            }
        }
    }

    Column {
        id: stepColumn
        anchors { left: macroColumn.right; leftMargin: 16; top: parent.top; bottom: parent.bottom }
        width: 240
        spacing: 4

        UiText {
            width: parent.width
            height: 20
            text: page.texts[4]
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray2
        }
        EditableList {
            id: stepList
            objectName: "stepList"
            width: parent.width
            height: parent.height - 24 - 32
            label: page.texts[4]
            model: page.steps
            enabled: !page.busy
            menuTexts: page.currentIndex >= 0 && !page.busy
                       ? [page.texts[10], page.texts[13], page.texts[14], page.texts[15],
                          page.texts[16], page.texts[17]]
                       : []
            menuDisabled: page.fullInserts
            menuOnEmpty: true
            textOf: function (step) { return MacroSteps.displayText(step, root.milliseconds) }
            iconOf: function (step) {
                var kind = MacroSteps.kindOf(step)
                return kind !== "" ? root.image("macros", kind) : ""
            }
            editTextOf: function (step) {
                return page.busy ? null : MacroSteps.delayEditText(step)
            }
            onMenuChosen: function (entry) { page.stepMenuChosen(entry) }
            onRenameRequested: function (index, text) { page.editDelay(index, text) }
            onEmptied: function (index) { page.editDelay(index, "") }
            onDeleteRequested: page.deleteStep()
        }
    }

    UiText {
        id: hintText
        objectName: "macroHint"
        anchors { left: stepColumn.left; right: parent.right; bottom: parent.bottom }
        height: 28
        text: page.hint
        color: "#ff6a5a"
        wrapMode: Text.WordWrap
        maximumLineCount: 2
        lineHeight: 0.9
        visible: text.length > 0
    }

    Column {
        id: controlColumn
        anchors { left: stepColumn.right; leftMargin: 16; right: parent.right; top: parent.top; topMargin: 24 }
        spacing: 14

        TextButton {
            id: recordButton
            objectName: "macroRecordButton"
            width: parent.width
            height: 30
            text: page.isInputting ? page.texts[5] : page.texts[8]
            alert: page.isInputting
            enabled: page.currentIndex >= 0 && !page.isInsertting
            onClicked: page.toggleRecording()
            takesAllKeys: page.isInputting
            onEscapePressed: page.stopRecording()
        }
        CheckBox {
            objectName: "macroDelayCheck"
            width: parent.width
            text: page.texts[9]
            checked: page.withDelay
            enabled: !page.isInputting
            onToggled: function (on) { page.withDelay = on }
        }
        Item {
            width: parent.width
            height: 24
            opacity: repeatField.enabled ? 1 : 0.5
            UiText {
                anchors { left: parent.left; right: repeatField.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                text: page.texts[6]
                // Says what the control beside it says already.
                Accessible.ignored: true
                color: root.colorGray3
            }
            NumberField {
                id: repeatField
                objectName: "macroRepeatField"
                anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                width: 72
                name: page.texts[6]
                minimum: 1
                maximum: MacroRecord.maxRepeat
                enabled: page.currentIndex >= 0 && !page.busy
                onAccepted: function (value) { page.setRepeat(value) }
            }
        }
        Column {
            width: parent.width
            spacing: 4
            UiText {
                objectName: "macroSizeText"
                width: parent.width
                height: 18
                text: page.encodedSize + " / " + MacroRecord.sizeLimit + " " + page.texts[18]
                color: page.encodedSize >= MacroRecord.sizeLimit ? "#ff6a5a" : root.colorGray3
                font.pixelSize: root.fontMinSize + 1
            }
            Rectangle {
                width: parent.width
                height: 4
                radius: 2
                color: root.colorGray1
                Rectangle {
                    width: parent.width * Math.min(1, page.encodedSize / MacroRecord.sizeLimit)
                    height: parent.height
                    radius: 2
                    color: page.encodedSize >= MacroRecord.sizeLimit ? "#ff3030" : root.colorGray2
                }
            }
        }
    }

    // --- the insert-key dialog ------------------------------------------------------------

    Rectangle {
        anchors.fill: parent
        anchors.margins: -11
        visible: page.isInsertting
        color: "#b0000000"
        radius: 6

        // Nothing below the dialog takes a click while it is open.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.AllButtons
        }

        Rectangle {
            objectName: "macroInsertDialog"
            anchors.centerIn: parent
            width: 280
            height: 148
            radius: 6
            color: root.colorGray0
            border.color: root.colorGray2
            Accessible.role: Accessible.Dialog
            Accessible.name: page.texts[14]
            // The dialog keeps the keyboard: Tab goes between its two buttons, Esc closes it.
            Keys.onPressed: function (event) {
                if (event.key === Qt.Key_Tab || event.key === Qt.Key_Backtab)
                    (insertOk.activeFocus ? insertClose : insertOk).forceActiveFocus()
                else if (event.key === Qt.Key_Escape)
                    page.closeInsertDialog(false)
                else
                    return
                event.accepted = true
            }

            UiText {
                anchors { left: parent.left; leftMargin: 16; right: insertClose.left; top: parent.top; topMargin: 8 }
                height: 24
                text: page.texts[14]
                font.pixelSize: root.fontMiddleSize
                font.bold: true
                Accessible.role: Accessible.Heading
            }
            IconButton {
                id: insertClose
                objectName: "macroInsertClose"
                anchors { right: parent.right; rightMargin: 8; top: parent.top; topMargin: 8 }
                name: root.accessTexts[2]
                source: root.image("index", "close")
                onClicked: page.closeInsertDialog(false)
            }
            Rectangle {
                anchors { horizontalCenter: parent.horizontalCenter; top: parent.top; topMargin: 44 }
                width: 160
                height: 40
                radius: 4
                color: root.colorBlack
                border.color: page.insertCode !== 0 ? root.colorOrange : root.colorGray1
                UiText {
                    objectName: "macroInsertKey"
                    anchors.fill: parent
                    horizontalAlignment: Text.AlignHCenter
                    text: page.insertCode !== 0 ? KeyNames.labelOf(page.insertCode) : "…"
                    font.pixelSize: root.fontMaxSize + 2
                    font.bold: true
                    color: page.insertCode !== 0 ? root.fontColor : root.colorGray2
                }
            }
            TextButton {
                id: insertOk
                objectName: "macroInsertOk"
                anchors { horizontalCenter: parent.horizontalCenter; bottom: parent.bottom; bottomMargin: 14 }
                width: 96
                text: page.texts[7]
                onClicked: page.closeInsertDialog(true)
            }
        }
    }
}
