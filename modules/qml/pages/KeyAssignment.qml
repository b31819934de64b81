import QtQuick
import "../basic"
import "../js/entry_text.js" as EntryText
import "../js/formats.js" as Formats
import "../js/key_capture.js" as KeyCapture
import "../js/key_names.js" as KeyNames

// The button page: chooses the function of one button. It edits one key entry (kind,
// value1, value2, value3) with its text, picks it from the sections on the left, captures a
// fire key or collects a combination from the keys of the desktop, and hands the result to
// the key matrix list when closed. Nothing reaches the device from here, except the record of
// a macro chosen for the button, sent to the button's macro slot when the page closes.
PopupFrame {
    id: page

    // The page's 60 texts: labels of sections and choices, the media, Windows and shortcut
    // items (27 … 51), the fire key's and the macro's words.
    property var texts: EntryText.defaultLabels.slice()
    // The macro names in the macro editor's order.
    property var macroNames: []
    // Whether the gun section is offered; this mouse keeps it hidden.
    property bool showGun: false
    // The keyboard layout the shortcuts' letters are placed for, named under them.
    property string layoutName: ""

    // The button being edited and the entry being made for it.
    property int position: -1
    property int keyCode0: 0
    property int keyCode1: 0
    property int keyCode2: 0
    property int keyCode3: 0
    property string keyString: ""
    // What the key matrix list held for the button when the page opened, and its factory entry.
    property var listEntry: [0, 0, 0, 0]
    property string listText: ""
    property var factoryEntry: [0, 0, 0, 0]
    property string factoryText: ""

    property bool isFireInput: false
    property bool isComboInput: false
    property var collector: KeyCapture.emptyCollector()
    property string comboText: ""
    property string fireKeyText: ""
    property int rate: KeyCapture.defaultRate
    property int times: 0
    property int macroMode: 0
    property int sectionIndex: 0

    readonly property var entry: [keyCode0, keyCode1, keyCode2, keyCode3]
    readonly property var shownSections: EntryText.sections.filter(function (s) {
        return showGun || !s.hidden
    })
    readonly property var section: shownSections[Math.max(0, Math.min(sectionIndex, shownSections.length - 1))]

    // A changed entry for position, for the key matrix list.
    signal assigned(int position, var entry, string text)
    signal sendMacro(string name, int slot)
    signal openMacroEditor()
    signal closed()

    // --- contract -------------------------------------------------------------------------

    // The page keeps no settings of its own; it starts with the macro names of the name file
    // until the macro editor hands over its list.
    function init(send, recovery) {
        if (macroNames.length === 0) {
            var stored = ui_View.getNameList(0)
            var names = []
            for (var i = 0; stored && i < stored.length; ++i)
                names.push(String(stored[i]))
            if (names.length === 2 && names[1] === "loaderpivlan")
                names.pop()
            macroNames = names
        }
    }

    // Hands a changed entry to the key matrix list. A macro entry also stores the macro's name
    // for the button's slot and, if send, has the macro sent to that slot.
    function save(send) {
        var changed = !EntryText.sameEntry(entry, listEntry)
                      || (keyCode0 === EntryText.Kind.Macro && keyString !== listText)
        if (!changed || position < 0)
            return
        var e = entry.slice()
        listEntry = e
        listText = keyString
        assigned(position, e, keyString)
        if (e[0] === EntryText.Kind.Macro) {
            ui_View.setData("mouseMacroKey/" + e[2], keyString)
            if (send)
                sendMacro(keyString, e[2])
        }
    }

    // The macro editor renamed a macro: a choice of it, here or in the list, takes the new name.
    function followMacroRename(oldName, newName) {
        if (keyCode0 === EntryText.Kind.Macro && keyString === oldName)
            keyString = newName
        if (Number(listEntry[0]) === EntryText.Kind.Macro && listText === oldName)
            listText = newName
    }

    // The macro editor deleted a macro: a choice of it gives way to the button's factory entry,
    // as the list's entries bound to it do.
    function followMacroDelete(name) {
        if (Number(listEntry[0]) === EntryText.Kind.Macro && listText === name) {
            listEntry = factoryEntry.slice()
            listText = factoryText
        }
        if (keyCode0 === EntryText.Kind.Macro && keyString === name) {
            show(factoryEntry, factoryText)
            sectionIndex = sectionIndexOf(keyCode0)
        }
    }

    // --- opening, leaving -------------------------------------------------------------------

    // Takes the button's entry and text, and its factory ones, before the page is shown.
    function openFor(button, current, text, factory, factoryWords) {
        position = button
        layoutName = KeyNames.layoutName
        listEntry = current.slice()
        listText = String(text)
        factoryEntry = factory.slice()
        factoryText = String(factoryWords)
        isFireInput = false
        isComboInput = false
        collector = KeyCapture.emptyCollector()
        show(current, text)
        sectionIndex = sectionIndexOf(keyCode0)
    }

    // Shows an entry: the page's entry, and the fields of its kind.
    function show(e, text) {
        setEntry(e, text)
        var kind = Number(e[0])
        fireKeyText = kind === EntryText.Kind.Fire ? String(text) : ""
        rate = kind === EntryText.Kind.Fire ? Number(e[2]) : KeyCapture.defaultRate
        times = kind === EntryText.Kind.Fire ? Number(e[3]) : 0
        comboText = kind === EntryText.Kind.Combination ? String(text) : ""
        macroMode = kind === EntryText.Kind.Macro ? Math.max(0, Math.min(2, Number(e[1]))) : 0
        rateSlider.value = KeyCapture.ratePosition(rate)
        timesField.value = times
    }

    function setEntry(e, text) {
        keyCode0 = Number(e[0])
        keyCode1 = Number(e[1])
        keyCode2 = Number(e[2])
        keyCode3 = Number(e[3])
        keyString = String(text)
    }

    // The arrows on the section tabs: that section is shown and its tab takes the focus.
    function showSection(index) {
        if (index < 0 || index >= shownSections.length)
            return
        // The focus first: the tab that had it stops being a Tab stop only once it has let go.
        sectionTabs.itemAt(index).forceActiveFocus()
        sectionIndex = index
    }

    function sectionIndexOf(kind) {
        for (var i = 0; i < shownSections.length; ++i) {
            if (shownSections[i].kind === kind)
                return i
        }
        return 0
    }

    // A capture ends when its section is left or the page goes: a key typed later, in the
    // macro editor for instance, is no fire key or combination of this button.
    function endCaptures() {
        isFireInput = false
        if (isComboInput)
            cancelCombo()
    }

    // The close icon: the page goes, a changed entry goes to the list.
    function closePage() {
        endCaptures()
        close()
        save(true)
        closeDropDowns()
        closed()
    }

    // The back icon: the factory entry, here and in the list.
    function restoreFactory() {
        if (position < 0 || (keyString === factoryText && EntryText.sameEntry(entry, factoryEntry)))
            return
        isFireInput = false
        isComboInput = false
        show(factoryEntry, factoryText)
        sectionIndex = sectionIndexOf(keyCode0)
        listEntry = factoryEntry.slice()
        listText = factoryText
        assigned(position, factoryEntry.slice(), factoryText)
    }

    function closeDropDowns() {
        rateSlider.close()
    }

    // --- choices ------------------------------------------------------------------------------

    function choose(e, text) {
        isFireInput = false
        isComboInput = false
        setEntry(e, text)
    }

    function startFireInput() {
        isComboInput = false
        isFireInput = true
    }

    function startComboInput() {
        isFireInput = false
        collector = KeyCapture.emptyCollector()
        comboText = ""
        isComboInput = true
    }

    function confirmCombo() {
        if (!isComboInput)
            return
        isComboInput = false
        if (KeyCapture.isEmpty(collector)) {
            comboText = ""
            return
        }
        comboText = collector.text
        setEntry(KeyCapture.entryOf(collector), collector.text)
    }

    function cancelCombo() {
        isComboInput = false
        comboText = ""
    }

    // Esc in an armed capture: the fire key stays as it was; a combination keeps the keys
    // collected so far (as the confirm icon does), or stays as it was without any.
    function leaveCapture() {
        if (isComboInput)
            confirmCombo()
        isFireInput = false
    }

    // A key of the desktop, pressed or released. Esc ends a capture instead of being taken,
    // and the release of Enter or Space (the keys that work the field from the keyboard) is
    // not taken as a fire key: only their press is.
    function keyEvent(isDown, code) {
        if (code === KeyNames.escapeCode)
            return
        if (isFireInput && (isDown || KeyCapture.activationCodes.indexOf(code) < 0)) {
            if (KeyNames.nameOf(code) === "")
                return
            var name = KeyNames.labelOf(code)
            isFireInput = false
            fireKeyText = name
            setEntry([EntryText.Kind.Fire, code, rate, times], name)
        } else if (isComboInput && isDown) {
            collector = KeyCapture.collect(collector, code)
            comboText = collector.text
        }
    }

    function rateMoved(position) {
        rate = KeyCapture.rateAt(position)
        if (keyCode0 === EntryText.Kind.Fire)
            keyCode2 = rate
    }

    function setTimes(n) {
        times = n
        timesField.value = n
        if (keyCode0 === EntryText.Kind.Fire)
            keyCode3 = n
    }

    function chooseMacro(index) {
        if (index < 0 || index >= macroNames.length)
            return
        choose([EntryText.Kind.Macro, macroMode, position, 0], String(macroNames[index]))
    }

    function setMacroMode(mode) {
        macroMode = mode
        if (keyCode0 === EntryText.Kind.Macro)
            keyCode1 = mode
    }

    objectName: "keyAssignment"
    width: 416
    height: 404
    showBack: true
    title: root.compose(Formats.Format.ButtonTitle, [position + 1, keyString])
    onCloseClicked: closePage()
    onBackClicked: restoreFactory()
    onSectionIndexChanged: endCaptures()
    onVisibleChanged: if (!visible) endCaptures()

    Connections {
        target: root
        function onMsg_KB(isDown, usbCode) {
            if (page.visible)
                page.keyEvent(isDown, usbCode)
        }
    }

    // Section tabs.
    Column {
        id: tabs
        width: 140
        spacing: 2
        Accessible.role: Accessible.PageTabList
        Accessible.name: page.title
        Repeater {
            id: sectionTabs
            model: page.shownSections
            Pressable {
                id: tab
                required property int index
                required property var modelData
                readonly property bool current: page.sectionIndex === index
                objectName: "assignSection" + modelData.kind
                width: tabs.width
                height: 34
                radius: 4
                color: current ? root.colorBlue : tabArea.containsMouse ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
                Accessible.role: Accessible.PageTab
                Accessible.name: tabText.text
                Accessible.selected: current
                Accessible.onPressAction: page.sectionIndex = index
                // One stop of the Tab order, the section shown; the arrows show the next. A tab
                // keeps its stop while it holds the focus (Qt refuses to take it away then).
                activeFocusOnTab: current || activeFocus
                onActivated: page.sectionIndex = index
                Keys.onUpPressed: page.showSection(index - 1)
                Keys.onDownPressed: page.showSection(index + 1)

                Rectangle {
                    anchors { left: parent.left; top: parent.top; bottom: parent.bottom; margins: 6 }
                    width: 2
                    color: root.colorOrange
                    visible: tab.current
                }
                UiText {
                    id: tabText
                    anchors { left: parent.left; leftMargin: 12; right: dot.left; rightMargin: 4; verticalCenter: parent.verticalCenter }
                    text: page.texts[tab.modelData.label]
                    color: tab.current ? root.fontColor : root.colorGray3
                    font.bold: tab.current
                    wrapMode: Text.WordWrap
                    maximumLineCount: 2
                    lineHeight: 0.9
                    Accessible.ignored: true
                }
                // The section of the button's function.
                Rectangle {
                    id: dot
                    anchors { right: parent.right; rightMargin: 8; verticalCenter: parent.verticalCenter }
                    width: 6
                    height: 6
                    radius: 3
                    color: root.colorOrange
                    visible: tab.modelData.kind === page.keyCode0
                }
                MouseArea {
                    id: tabArea
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: page.sectionIndex = tab.index
                }
            }
        }
    }

    Rectangle {
        id: content
        anchors { left: tabs.right; leftMargin: 10; right: parent.right; top: parent.top; bottom: parent.bottom }
        radius: 4
        color: root.colorBlack
        border.color: root.colorGray1

        UiText {
            id: heading
            anchors { left: parent.left; right: parent.right; top: parent.top; margins: 12; topMargin: 8 }
            height: 20
            text: page.texts[page.section.label]
            color: root.colorGray2
            font.pixelSize: root.fontMinSize + 1
            font.bold: true
            font.letterSpacing: root.titleSpacing(1)
            Accessible.role: Accessible.Heading
        }

        // Fixed choices: mouse buttons, media, DPI, Windows, shortcuts, guns.
        Column {
            anchors { left: parent.left; right: parent.right; top: heading.bottom; margins: 6; topMargin: 4 }
            visible: page.section.choices.length > 0
            Repeater {
                model: page.section.choices
                RadioRow {
                    required property var modelData
                    objectName: "assignChoice" + modelData.label
                    width: parent.width
                    text: page.texts[modelData.label]
                    checked: EntryText.sameEntry(EntryText.shortcutEntry(modelData.entry), page.entry)
                    onChosen: page.choose(EntryText.shortcutEntry(modelData.entry), page.texts[modelData.label])
                }
            }
            // Which keyboard layout the shortcuts' letters are placed for.
            UiText {
                objectName: "assignLayoutLine"
                width: parent.width
                topPadding: 6
                visible: page.section.kind === EntryText.Kind.Shortcut && page.layoutName !== ""
                wrapMode: Text.WordWrap
                text: root.compose(Formats.Format.KeyboardLayout, [page.layoutName])
            }
        }

        // Fire key.
        Column {
            anchors { left: parent.left; right: parent.right; top: heading.bottom; margins: 12; topMargin: 6 }
            visible: page.section.kind === EntryText.Kind.Fire
            spacing: 8

            UiText {
                text: page.texts[EntryText.Label.KeyValue]
                // Says what the control beside it says already.
                Accessible.ignored: true
                color: root.colorGray3
            }
            CaptureField {
                objectName: "fireKeyField"
                width: parent.width
                label: page.texts[EntryText.Label.KeyValue]
                capturing: page.isFireInput
                text: page.isFireInput || page.fireKeyText === "" ? page.texts[EntryText.Label.ClickInput]
                                                                   : page.fireKeyText
                dim: !page.isFireInput && page.fireKeyText === ""
                onClicked: page.startFireInput()
                onEscapePressed: page.leaveCapture()
            }
            Item { width: 1; height: 4 }
            Item {
                width: parent.width
                height: 24
                UiText {
                    anchors { left: parent.left; right: rateSlider.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                    text: page.texts[EntryText.Label.Rate]
                    // Says what the control beside it says already.
                    Accessible.ignored: true
                    color: root.colorGray3
                }
                DropSlider {
                    id: rateSlider
                    objectName: "fireRateSlider"
                    anchors.right: parent.right
                    width: 104
                    label: page.texts[EntryText.Label.Rate]
                    from: KeyCapture.rateFirst
                    to: KeyCapture.rateLast
                    trackWidth: 180
                    text: root.milliseconds(page.rate)
                    textOf: function (position) { return root.milliseconds(KeyCapture.rateAt(position)) }
                    onMoved: function (value) { page.rateMoved(value) }
                }
            }
            Item {
                width: parent.width
                height: 24
                UiText {
                    anchors { left: parent.left; right: timesField.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                    text: page.texts[EntryText.Label.Times]
                    // Says what the control beside it says already.
                    Accessible.ignored: true
                    color: root.colorGray3
                }
                NumberField {
                    id: timesField
                    objectName: "fireTimesField"
                    anchors { right: endless.left; rightMargin: 10; verticalCenter: parent.verticalCenter }
                    width: 52
                    name: page.texts[EntryText.Label.Times]
                    minimum: 0
                    maximum: 255
                    onAccepted: function (value) { page.setTimes(value) }
                }
                CheckBox {
                    id: endless
                    objectName: "fireEndless"
                    anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                    width: Math.min(implicitWidth, 96)
                    text: page.texts[EntryText.Label.Endless]
                    checked: page.times === 0
                    // Unticked, the key repeats once: a count the box no longer calls endless.
                    onToggled: function (on) { page.setTimes(on ? 0 : 1) }
                }
            }
        }

        // Combination.
        Column {
            anchors { left: parent.left; right: parent.right; top: heading.bottom; margins: 12; topMargin: 6 }
            visible: page.section.kind === EntryText.Kind.Combination
            spacing: 8

            Item {
                width: parent.width
                height: 28
                CaptureField {
                    objectName: "comboField"
                    anchors { left: parent.left; right: comboIcons.left; rightMargin: comboIcons.visible ? 6 : 0; verticalCenter: parent.verticalCenter }
                    label: page.texts[EntryText.Label.Combination]
                    capturing: page.isComboInput
                    text: page.comboText !== "" ? page.comboText : page.texts[EntryText.Label.ClickInput]
                    dim: page.comboText === ""
                    onClicked: page.startComboInput()
                    onEscapePressed: page.leaveCapture()
                }
                Row {
                    id: comboIcons
                    anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                    spacing: 2
                    visible: page.isComboInput
                    width: visible ? implicitWidth : 0
                    IconButton {
                        objectName: "comboConfirm"
                        name: page.texts[EntryText.Label.Confirm]
                        source: root.image("index", "confirm")
                        hoverColor: root.colorBlue
                        onClicked: page.confirmCombo()
                    }
                    IconButton {
                        objectName: "comboCancel"
                        name: page.texts[EntryText.Label.Cancel]
                        source: root.image("index", "close")
                        hoverColor: root.colorOrange
                        onClicked: page.cancelCombo()
                    }
                }
            }
        }

        // Macro.
        Column {
            anchors { left: parent.left; right: parent.right; top: heading.bottom; bottom: parent.bottom; margins: 12; topMargin: 6 }
            visible: page.section.kind === EntryText.Kind.Macro
            spacing: 8

            Rectangle {
                width: parent.width
                height: 104
                radius: 3
                color: root.colorGray0
                border.color: root.colorGray1
                clip: true
                Accessible.role: Accessible.List
                Accessible.name: page.texts[16]

                ListView {
                    id: macroList
                    anchors.fill: parent
                    anchors.margins: 1
                    model: page.macroNames
                    boundsBehavior: Flickable.StopAtBounds
                    delegate: Pressable {
                        id: macroRow
                        required property int index
                        required property var modelData
                        readonly property bool current: page.keyCode0 === EntryText.Kind.Macro
                                                        && page.keyString === String(modelData)
                        objectName: "macroChoice" + index
                        width: macroList.width
                        height: 24
                        color: current ? root.colorBlue : macroArea.containsMouse ? root.colorGray1 : "transparent"
                        Accessible.role: Accessible.ListItem
                        Accessible.name: String(modelData)
                        Accessible.selected: current
                        Accessible.onPressAction: page.chooseMacro(index)
                        group: "macros"
                        onActivated: page.chooseMacro(index)
                        onActiveFocusChanged: if (activeFocus) macroList.positionViewAtIndex(index, ListView.Contain)
                        Keys.onUpPressed: moveInGroup(false)
                        Keys.onDownPressed: moveInGroup(true)
                        UiText {
                            anchors { fill: parent; leftMargin: 8; rightMargin: 8 }
                            text: String(macroRow.modelData)
                            Accessible.ignored: true
                        }
                        MouseArea {
                            id: macroArea
                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: page.chooseMacro(macroRow.index)
                        }
                    }
                }
            }
            Repeater {
                model: EntryText.Label.MacroModes
                RadioRow {
                    required property int index
                    required property var modelData
                    objectName: "macroMode" + index
                    width: parent.width
                    text: page.texts[modelData]
                    wrap: true
                    checked: page.macroMode === index
                    onChosen: page.setMacroMode(index)
                }
            }
            EntryRow {
                objectName: "macroEditorLink"
                width: parent.width
                text: page.texts[EntryText.Label.MacroEditor]
                icon: root.image("index", "macro")
                onClicked: page.openMacroEditor()
            }
        }
    }
}
