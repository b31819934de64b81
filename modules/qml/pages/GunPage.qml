import QtQuick
import "../basic"
import "../js/gun_table.js" as GunTable
import "../js/key_capture.js" as KeyCapture

// The gun page of the recoil compensation: the six guns of the gun file with their fire
// button, firing period, cursor correction and shot count, and the gun each of the three gun
// slots uses. Edits are kept here and written to the gun file by Save; closing the page after
// a change writes what is not written yet and sends the three slots' values to the mouse.
// Reset gives back the factory choice and values of guns 0, 1 and 2 and sends them.
PopupFrame {
    id: page

    // 0 title, 1 gun list, 2 fire button, 3 firing period, 4 cursor adjust, 5 X axis, 6 Y axis,
    // 7 fire adjust, 8 shot count, 9 endless, 10 … 12 gun slots 1 … 3, 13 Save, 14 Reset,
    // 15 Rename, 16 … 18 the fire buttons (left, right, middle click).
    property var texts: ["Gun Editor", "Gun", "Fire Key", "Rate", "Cursor Adjust", "X Axis",
        "Y axis", "Fire adjust", "Times", "Endness", "Gun 1", "Gun 2", "Gun 3", "Save", "Reset",
        "Rename", "Left click", "Right click", "Middle click", ""]
    property var guns: GunTable.defaultGuns()
    // The gun table position each gun slot uses.
    property var choice: GunTable.resetChoice.slice()
    property int current: 0
    // Guns edited and not yet written to the gun file.
    property var unsaved: []
    // Something was changed since the page was opened: closing sends the slots.
    property bool changed: false

    readonly property var gun: guns[current]
    readonly property var names: guns.map(function (g) { return g.name })

    // --- contract -------------------------------------------------------------------------

    // Reads the gun file and the slots' choice; sends the slots if asked. The gun table is
    // the same for every profile, so there is no factory copy to read with recovery.
    function init(send, recovery) {
        var loaded = []
        for (var i = 0; i < GunTable.defaultNames.length; ++i)
            loaded.push(GunTable.fromStored(ui_View.getGunData(i), GunTable.defaultNames[i]))
        guns = loaded
        var stored = ui_View.getGlobalData("mouse/selectGun")
        var parsed = GunTable.parseChoice(stored, guns.length)
        if (parsed === null) {
            if (stored !== undefined)
                console.log("Gun slots: stored choice \"" + stored + "\" is not three guns 0 … "
                            + (guns.length - 1) + "; guns 0, 1, 2 are used")
            parsed = GunTable.resetChoice.slice()
        }
        choice = parsed
        unsaved = []
        changed = false
        select(current)
        if (send)
            sendSlots()
    }

    // Writes the edited guns and the slots' choice; sends the slots if asked.
    function save(send) {
        for (var i = 0; i < unsaved.length; ++i)
            ui_View.mouseSaveGundata(unsaved[i], GunTable.toStored(guns[unsaved[i]]))
        unsaved = []
        ui_View.setGlobalData("mouse/selectGun", choice.slice())
        if (send)
            sendSlots()
    }

    // --- for the root -----------------------------------------------------------------------

    // The factory choice and values: guns 0, 1, 2 in the slots, their vertical correction
    // and period; written and sent.
    function reset() {
        guns = GunTable.afterReset(guns)
        choice = GunTable.resetChoice.slice()
        ui_View.setGlobalData("mouse/selectGun", choice.slice())
        var rest = []
        for (var i = 0; i < unsaved.length; ++i) {
            if (unsaved[i] >= GunTable.resetY.length)
                rest.push(unsaved[i])
        }
        for (var g = 0; g < GunTable.resetY.length; ++g)
            ui_View.mouseSaveGundata(g, GunTable.toStored(guns[g]))
        unsaved = rest
        sendSlots()
        select(current)
    }

    // The firing periods of the slots' guns, for the key matrix.
    function periods() {
        return choice.map(function (g) { return GunTable.period(guns[g]) })
    }

    // --- the page ---------------------------------------------------------------------------

    function sendSlots() {
        for (var s = 0; s < GunTable.slotCount; ++s)
            ui_View.mouseSendGundata(s + 1, GunTable.sendValues(guns[choice[s]]))
        changed = false
    }

    function select(index) {
        current = Math.max(0, Math.min(guns.length - 1, index))
        var g = guns[current]
        periodSlider.value = KeyCapture.ratePosition(GunTable.period(g))
        xField.value = GunTable.number(g.x, 0)
        yField.value = GunTable.number(g.y, 0)
        timesField.value = GunTable.number(g.times, 0)
    }

    // One value of the gun shown.
    function edit(field, value) {
        var all = guns.map(GunTable.copy)
        all[current][field] = String(value)
        guns = all
        if (unsaved.indexOf(current) < 0)
            unsaved = unsaved.concat([current])
        changed = true
        if (field === "times")
            timesField.value = Number(value)
    }

    function chooseGun(slot, index) {
        if (choice[slot] === index)
            return
        var c = choice.slice()
        c[slot] = index
        choice = c
        ui_View.setGlobalData("mouse/selectGun", c)
        changed = true
    }

    // A new name, taken when no gun has it yet; it goes to the name list and the gun file.
    function rename(index, name) {
        var wanted = String(name).trim()
        if (!GunTable.canRename(names, index, wanted))
            return
        var all = guns.map(GunTable.copy)
        var old = all[index].name
        all[index].name = wanted
        guns = all
        ui_View.updataNameList(1, names)
        ui_View.modifyGundata(1, GunTable.toStored(all[index]).concat([old]))
        // The gun's own entry keeps the name too, or the next start would show the old one.
        ui_View.mouseSaveGundata(index, GunTable.toStored(all[index]))
    }

    function closePage() {
        close()
        closeDropDowns()
        if (changed || unsaved.length > 0)
            save(changed)
    }

    function closeDropDowns() {
        periodSlider.close()
        fireKey.close()
        for (var s = 0; s < slots.count; ++s)
            slots.itemAt(s).close()
    }

    objectName: "gunPage"
    width: 600
    height: 404
    title: texts[0]
    onCloseClicked: closePage()

    // The gun list.
    Column {
        id: gunColumn
        width: 168
        spacing: 6
        UiText {
            text: page.texts[1]
            color: root.colorGray2
            font.pixelSize: root.fontMinSize + 1
            font.bold: true
        }
        EditableList {
            id: list
            objectName: "gunList"
            width: parent.width
            height: page.guns.length * rowHeight + 2
            label: page.texts[1]
            model: page.names
            currentIndex: page.current
            menuTexts: [page.texts[15]]
            onSelected: function (index) { page.select(index) }
            onMenuChosen: function (entry, index) { list.editEntry(index) }
            onRenameRequested: function (index, name) { page.rename(index, name) }
        }
        Item { width: 1; height: 6 }
        // The gun slots.
        Repeater {
            id: slots
            model: GunTable.slotCount
            Item {
                id: slotRow
                required property int index
                function close() { slotBox.close() }
                width: gunColumn.width
                height: 26
                UiText {
                    anchors { left: parent.left; right: slotBox.left; rightMargin: 6; verticalCenter: parent.verticalCenter }
                    text: page.texts[10 + slotRow.index]
                    color: root.colorGray3
                }
                DropList {
                    id: slotBox
                    objectName: "gunSlot" + slotRow.index
                    anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                    width: 100
                    label: page.texts[10 + slotRow.index]
                    model: page.names
                    currentIndex: page.choice[slotRow.index]
                    onChosen: function (index) { page.chooseGun(slotRow.index, index) }
                }
            }
        }
    }

    // The gun shown.
    Item {
        id: right
        anchors { left: gunColumn.right; leftMargin: 14; right: parent.right; top: parent.top; bottom: parent.bottom }

        Rectangle {
            id: banner
            width: parent.width
            height: 92
            radius: 4
            color: root.colorBlack
            border.color: root.colorGray1
            Image {
                anchors.centerIn: parent
                source: root.image("gun", GunTable.defaultNames[page.current])
                sourceSize: Qt.size(240, 90)
                Accessible.role: Accessible.Graphic
                Accessible.name: page.gun.name
            }
            UiText {
                anchors { left: parent.left; top: parent.top; margins: 8 }
                text: page.gun.name
                font.bold: true
                font.pixelSize: root.fontMiddleSize
            }
        }

        Column {
            anchors { left: parent.left; right: parent.right; top: banner.bottom; topMargin: 10 }
            spacing: 8

            Item {
                width: parent.width
                height: 24
                UiText {
                    anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                    text: page.texts[2]
                    color: root.colorGray3
                }
                DropList {
                    id: fireKey
                    objectName: "gunFireKey"
                    anchors.right: parent.right
                    width: 120
                    label: page.texts[2]
                    // The stored names ("L-Click" …) shown in the language's words; a name of
                    // another program's file is shown as it is.
                    readonly property var keys: page.gun.key === "" || GunTable.fireButtons.indexOf(page.gun.key) >= 0
                                                ? GunTable.fireButtons : GunTable.fireButtons.concat([page.gun.key])
                    model: keys.map(function (key) {
                        var at = GunTable.fireButtons.indexOf(key)
                        var word = at >= 0 ? page.texts[16 + at] : ""
                        return word !== undefined && word !== "" ? word : key
                    })
                    currentIndex: keys.indexOf(page.gun.key)
                    onChosen: function (index) { page.edit("key", keys[index]) }
                }
            }
            Item {
                width: parent.width
                height: 24
                UiText {
                    anchors { left: parent.left; verticalCenter: parent.verticalCenter }
                    text: page.texts[3]
                    // Says what the control beside it says already.
                    Accessible.ignored: true
                    color: root.colorGray3
                }
                DropSlider {
                    id: periodSlider
                    objectName: "gunPeriodSlider"
                    anchors.right: parent.right
                    width: 120
                    label: page.texts[3]
                    from: KeyCapture.rateFirst
                    to: KeyCapture.rateLast
                    trackWidth: 200
                    text: page.gun.period === "" ? "" : root.milliseconds(page.gun.period)
                    onMoved: function (value) { page.edit("period", value + 1) }
                }
            }

            Panel {
                title: page.texts[4]
                width: parent.width
                height: 66
                Row {
                    x: 14
                    spacing: 10
                    UiText { height: 22; text: page.texts[5]; color: root.colorGray3; Accessible.ignored: true }
                    NumberField {
                        id: xField
                        objectName: "gunXField"
                        width: 52
                        name: page.texts[5]
                        maximum: GunTable.maxAxis
                        blank: page.gun.x === ""
                        onAccepted: function (value) { page.edit("x", value) }
                    }
                    Item { width: 14; height: 1 }
                    UiText { height: 22; text: page.texts[6]; color: root.colorGray3; Accessible.ignored: true }
                    NumberField {
                        id: yField
                        objectName: "gunYField"
                        width: 52
                        name: page.texts[6]
                        maximum: GunTable.maxAxis
                        blank: page.gun.y === ""
                        onAccepted: function (value) { page.edit("y", value) }
                    }
                }
            }
            Panel {
                title: page.texts[7]
                width: parent.width
                height: 66
                Row {
                    x: 14
                    spacing: 10
                    UiText { height: 22; text: page.texts[8]; color: root.colorGray3; Accessible.ignored: true }
                    NumberField {
                        id: timesField
                        objectName: "gunTimesField"
                        width: 52
                        name: page.texts[8]
                        maximum: GunTable.maxTimes
                        blank: page.gun.times === ""
                        onAccepted: function (value) { page.edit("times", value) }
                    }
                    Item { width: 14; height: 1 }
                    CheckBox {
                        objectName: "gunEndless"
                        text: page.texts[9]
                        checked: page.gun.times !== "" && GunTable.number(page.gun.times, -1) === 0
                        onToggled: function (on) { page.edit("times", on ? 0 : 1) }
                    }
                }
            }
        }

        Row {
            anchors { right: parent.right; bottom: parent.bottom }
            spacing: 12
            TextButton {
                objectName: "gunReset"
                width: 80
                text: page.texts[14]
                restColor: root.colorGray1
                onClicked: page.reset()
            }
            TextButton {
                objectName: "gunSave"
                width: 80
                text: page.texts[13]
                alert: page.unsaved.length > 0
                onClicked: page.save(false)
            }
        }
    }
}
