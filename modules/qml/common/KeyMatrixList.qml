import QtQuick
import "../basic"
import "../js/entry_text.js" as EntryText

// The mouse's buttons and what each one does, one row per button 1 … keyCount. It keeps the
// 16 key entries of the profile in use with their texts, and the factory ones beside them;
// the button page changes one entry at a time through assign(), and Save stores and sends
// the whole matrix. A row under the pointer lights the button's marker on the mouse picture;
// a click on it asks for the button page.
Panel {
    id: list

    // 0 title, 1 "Button", 2 function column, 3 a button without a function, 4 the hint that
    // one button keeps the left click, 5 front view, 6 side view, 7 restore the factory buttons.
    property var texts: ["Button Assignment", "Button", "Function", "Disabled",
        "One button must keep the left click", "Front View", "Side View", "Restore Default", "", ""]
    // The words the entry texts are made of: the button page's texts.
    property var labels: EntryText.defaultLabels
    property bool isSave: false
    // The firing periods of the guns in gun slots 1, 2, 3, sent with the matrix.
    property var gunPeriods: [10, 10, 10]
    property int hoveredButton: -1
    property int selectedButton: -1
    property var entries: EntryText.builtIn.map(function (e) { return e.slice() })
    property var entryTexts: textsOf(entries, false)
    property var factoryEntries: EntryText.builtIn.map(function (e) { return e.slice() })
    property var factoryTexts: textsOf(factoryEntries, true)
    property bool hintShown: false
    readonly property int shownCount: Math.max(0, Math.min(EntryText.positions, root.keyCount))

    signal buttonChosen(int position)
    signal buttonHovered(int position)

    // --- contract -----------------------------------------------------------------------

    // Reads the 16 entries of the profile in use (of the factory profile with recovery) and
    // the factory ones; sends them if asked.
    function init(send, recovery) {
        var current = []
        var factory = []
        for (var j = 0; j < EntryText.positions; ++j) {
            current.push(storedEntry(j, recovery))
            factory.push(storedEntry(j, true))
        }
        factoryEntries = factory
        factoryTexts = textsOf(factory, true)
        entries = current
        entryTexts = textsOf(current, recovery)
        isSave = false
        if (send)
            save(true)
    }

    // Stores the whole matrix in the profile in use and, if asked, sends it with the gun
    // periods.
    function save(send) {
        ui_View.mouseSetKeyMatrix(EntryText.flatten(entries), send, gunPeriods.slice(0, 3))
        isSave = false
    }

    // --- for the root and the button page ---------------------------------------------------

    function entryAt(position) {
        return entries[position].slice()
    }

    function textAt(position) {
        return entryTexts[position]
    }

    function factoryEntryAt(position) {
        return factoryEntries[position].slice()
    }

    function factoryTextAt(position) {
        return factoryTexts[position]
    }

    // Takes a new entry for one button; Save turns red.
    function assign(position, entry, text) {
        if (position < 0 || position >= EntryText.positions)
            return
        var e = entries.slice()
        var t = entryTexts.slice()
        e[position] = [Number(entry[0]), Number(entry[1]), Number(entry[2]), Number(entry[3])]
        t[position] = String(text)
        entries = e
        entryTexts = t
        isSave = true
    }

    // Whether the button page may open for position. The only button that holds the left
    // click keeps it; the user is told why nothing opens.
    function mayReassign(position) {
        if (position < 0 || position >= EntryText.positions)
            return false
        if (!EntryText.holdsOnlyLeftClick(entries, position))
            return true
        hintShown = true
        hintTimer.restart()
        return false
    }

    // Every button back to its factory entry; Save stores and sends them.
    function restoreDefaults() {
        var changed = false
        for (var i = 0; i < EntryText.positions; ++i) {
            changed = changed || !EntryText.sameEntry(entries[i], factoryEntries[i])
                      || entryTexts[i] !== factoryTexts[i]
        }
        if (!changed)
            return
        entries = factoryEntries.map(function (e) { return e.slice() })
        entryTexts = factoryTexts.slice()
        isSave = true
    }

    // The positions whose entry plays the macro of that name.
    function macroSlotsOf(name) {
        var found = []
        for (var i = 0; i < EntryText.positions; ++i) {
            if (Number(entries[i][0]) === EntryText.Kind.Macro
                    && storedMacroName(entries[i][2], false) === String(name))
                found.push(i)
        }
        return found
    }

    // The buttons that play the macro get their factory entry back; each one stores and sends
    // the matrix. Returns how many there were.
    function restoreMacroButtons(name) {
        var bound = macroSlotsOf(name)
        for (var i = 0; i < bound.length; ++i) {
            assign(bound[i], factoryEntries[bound[i]], factoryTexts[bound[i]])
            save(true)
        }
        return bound.length
    }

    // The buttons that play the macro name it anew, in the profile and on their rows.
    function renameMacro(oldName, newName) {
        var bound = macroSlotsOf(oldName)
        if (bound.length === 0)
            return
        var t = entryTexts.slice()
        for (var i = 0; i < bound.length; ++i) {
            ui_View.setData("mouseMacroKey/" + entries[bound[i]][2], String(newName))
            t[bound[i]] = String(newName)
        }
        entryTexts = t
    }

    // --- helpers --------------------------------------------------------------------------------

    function storedEntry(position, recovery) {
        var stored = ui_View.mouseGetKeydefine(position, recovery)
        var entry = EntryText.parseEntry(stored)
        if (entry !== null)
            return entry
        var raw = ui_View.getData("mouseKeyMatrix/" + position, recovery)
        console.log("Button " + (position + 1) + ": stored entry \"" + (raw === undefined ? "" : raw)
                    + "\" is not four numbers 0 … 255; the built-in entry is shown")
        return EntryText.builtInEntry(position)
    }

    function storedMacroName(slot, recovery) {
        var name = ui_View.getData("mouseMacroKey/" + slot, recovery)
        return name === undefined || name === null ? "" : String(name)
    }

    function textsOf(matrix, recovery) {
        var out = []
        for (var i = 0; i < matrix.length; ++i) {
            var macro = Number(matrix[i][0]) === EntryText.Kind.Macro && typeof ui_View !== "undefined"
                    ? storedMacroName(matrix[i][2], recovery) : ""
            out.push(EntryText.entryText(matrix[i], labels, macro))
        }
        return out
    }

    // The texts in the words of a new language; a macro keeps its name.
    function retranslated(matrix, shown) {
        var out = shown.slice()
        for (var i = 0; i < matrix.length && i < out.length; ++i) {
            if (Number(matrix[i][0]) !== EntryText.Kind.Macro)
                out[i] = EntryText.entryText(matrix[i], labels, "")
        }
        return out
    }

    // What a row shows: the entry's text, or the word for a button without a function.
    function shownText(position) {
        if (EntryText.isEmpty(entries[position]) || entryTexts[position] === "")
            return texts[3]
        return entryTexts[position]
    }

    // The keys' names or the keyboard layout changed: the texts follow.
    function showKeyNames() {
        entryTexts = retranslated(entries, entryTexts)
        factoryTexts = retranslated(factoryEntries, factoryTexts)
    }

    objectName: "keyMatrix"
    onLabelsChanged: showKeyNames()
    title: texts[0]
    width: 240
    height: 370

    tools: IconButton {
        objectName: "keyMatrixRestore"
        name: list.texts[7]
        source: root.image("index", "restore")
        onClicked: list.restoreDefaults()
    }

    Timer {
        id: hintTimer
        interval: 3500
        onTriggered: list.hintShown = false
    }

    Row {
        id: columns
        x: 14
        width: parent.width - 28
        height: 18
        spacing: 12
        UiText {
            width: 42
            text: list.texts[1]
            color: root.colorGray2
            font.pixelSize: root.fontMinSize
        }
        UiText {
            width: columns.width - 62
            text: list.texts[2]
            color: root.colorGray2
            font.pixelSize: root.fontMinSize
        }
    }

    Column {
        id: rows
        anchors { left: parent.left; right: parent.right; top: columns.bottom; margins: 6; topMargin: 2 }
        readonly property real rowHeight: Math.min(34, Math.floor((list.height - list.headerHeight - 30)
                                                                   / Math.max(1, list.shownCount)))
        spacing: 0

        Repeater {
            model: list.shownCount
            Pressable {
                id: row
                required property int index
                readonly property bool lit: list.hoveredButton === index || list.selectedButton === index
                objectName: "keyMatrixRow" + index
                width: rows.width
                height: rows.rowHeight
                radius: 4
                color: list.selectedButton === index ? root.colorBlue
                     : list.hoveredButton === index ? Qt.rgba(1, 1, 1, 0.07) : "transparent"
                Accessible.role: Accessible.Button
                Accessible.name: list.texts[1] + " " + (index + 1)
                Accessible.description: label.text
                Accessible.onPressAction: list.buttonChosen(index)
                group: "buttons"
                onActivated: list.buttonChosen(index)
                Keys.onUpPressed: moveInGroup(false)
                Keys.onDownPressed: moveInGroup(true)

                Rectangle {
                    anchors { left: parent.left; top: parent.top; bottom: parent.bottom; margins: 5 }
                    width: 2
                    radius: 1
                    color: root.colorOrange
                    visible: row.lit && list.selectedButton !== row.index
                }
                Rectangle {
                    id: badge
                    anchors { left: parent.left; leftMargin: 12; verticalCenter: parent.verticalCenter }
                    width: 22
                    height: 22
                    radius: 11
                    color: row.lit ? root.colorOrange : "#24262b"
                    border.color: row.lit ? "#ff6a5a" : root.colorGray1
                    UiText {
                        anchors.centerIn: parent
                        text: String(row.index + 1)
                        font.pixelSize: root.fontMinSize + 1
                        font.bold: true
                        horizontalAlignment: Text.AlignHCenter
                        Accessible.ignored: true
                    }
                }
                UiText {
                    id: label
                    objectName: "keyMatrixText" + row.index
                    anchors { left: badge.right; leftMargin: 22; right: chevron.left; rightMargin: 6; verticalCenter: parent.verticalCenter }
                    text: list.shownText(row.index)
                    color: EntryText.isEmpty(list.entries[row.index]) ? root.colorGray2 : root.fontColor
                }
                Image {
                    id: chevron
                    anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
                    source: root.image("index", "chevron")
                    sourceSize: Qt.size(12, 12)
                    opacity: area.containsMouse ? 0.9 : 0.35
                }
                MouseArea {
                    id: area
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onContainsMouseChanged: {
                        if (containsMouse)
                            list.buttonHovered(row.index)
                        else if (list.hoveredButton === row.index)
                            list.buttonHovered(-1)
                    }
                    onClicked: list.buttonChosen(row.index)
                }
            }
        }
    }

    Rectangle {
        id: hint
        objectName: "keyMatrixHint"
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom; margins: 6 }
        height: hintText.implicitHeight + 12
        radius: 4
        color: Qt.rgba(0.70, 0.03, 0.03, 0.92)
        border.color: "#ff6a5a"
        visible: list.hintShown
        Accessible.role: Accessible.AlertMessage
        Accessible.name: hintText.text

        UiText {
            id: hintText
            objectName: "keyMatrixHintText"
            anchors { left: parent.left; right: parent.right; verticalCenter: parent.verticalCenter; margins: 8 }
            text: list.texts[4]
            wrapMode: Text.WordWrap
            elide: Text.ElideNone
            horizontalAlignment: Text.AlignHCenter
            Accessible.ignored: true
        }
        MouseArea {
            anchors.fill: parent
            onClicked: list.hintShown = false
        }
    }
}
