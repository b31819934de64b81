import QtQuick
import "../basic"
import "../js/profile_names.js" as ProfileNames

// The programs that choose the profile: each rule binds a program to a profile, while its
// window has the focus or while it runs. The rules, the default profile and the master switch
// live in the program's rules file (ui_Programs stores every change at once); the page shows
// them, adds programs that run now or a file, and says what this desktop lets it see.
PopupFrame {
    id: page

    // 0 title, 1-3 column heads (program, profile, trigger), 4-5 the two triggers, 6 Add,
    // 7 Remove, 8 the master switch, 9 add a file, 10-12 what the desktop lets the program
    // see (X11, Wayland, neither), 13-14 balloons of a switch, 15 default profile,
    // 16 running programs, 17 Cancel, 18 the button on the profiles page, 19 no rules yet,
    // 20 caption of the file chooser, 21 a change that could not be stored, 22 what the default
    // profile does, 23 where the focus comes from, 24 the GNOME Shell extension to enable,
    // 25 a rules file that cannot be read, 26 rules of a deleted profile, 27-28 the extension
    // marked out of date or failed.
    property var texts: ["Programs", "Program", "Profile", "Switches",
        "While its window has the focus", "While it runs", "Add", "Remove",
        "Switch profiles automatically", "Add a file…",
        "Focus and running programs can both be seen on this desktop.",
        "On Wayland only X11 windows tell their focus. Rules for running programs see every program.",
        "This desktop does not tell which window has the focus: only rules for running programs work.",
        "Profile %1 for %2", "Profile %1 (no rule applies)", "Default profile", "Running programs",
        "Cancel", "Programs", "No rules yet: add a program.", "Choose a program",
        "The change could not be stored in %1: what the page shows is what is stored.",
        "When no rule applies any more, the default profile comes back, unless you chose a profile by hand meanwhile: that one stays until a rule applies again.",
        "The focused window comes from %1.",
        "GNOME Shell tells the focus only through the extension that comes with this program, which is not enabled. Enable it with: %1",
        "%1 cannot be read, so no change is stored until it can be: check its permissions.",
        "The profile of the rules for %1 was deleted: they use the default profile now.",
        "GNOME Shell marks the extension that comes with this program as out of date for this version of the Shell, so it does not load: install the program's current package.",
        "GNOME Shell reports an error in the extension that comes with this program, so it does not load: 'gnome-extensions info %1' shows it."]
    // The program's rules object; the scene loads before the program provides it.
    readonly property QtObject programs: typeof ui_Programs !== "undefined" ? ui_Programs : null
    readonly property var rules: programs !== null ? programs.rules : []
    readonly property int desktop: programs !== null ? programs.desktop : 0
    // The running programs offered by Add, while the chooser is open.
    property var running: []
    readonly property var profileNames: ProfileNames.names(root.profileEntries)
    readonly property var triggerNames: [texts[4], texts[5]]
    // A new rule takes the profile in use and the trigger this desktop can see.
    readonly property int newTrigger: page.desktop === 2 ? 1 : 0

    function storedAutomatic() {
        return page.programs !== null && page.programs.automatic
    }

    function init(send, recovery) {
    }

    function save(send) {
    }

    // The list index of a profile number, -1 when no entry has it.
    function profileIndex(number) {
        return ProfileNames.indexOfNumber(root.profileEntries, number)
    }

    function profileNumber(index) {
        return root.profileEntries[index].number
    }

    // The command that enables the desktop's better focus source, or why it does not load once
    // enabled (the desktop marks it out of date, or reports an error: its id is the command's
    // last word).
    function setupText(setup, command) {
        if (setup === 1)
            return texts[27]
        if (setup === 2)
            return texts[28].arg(command.split(" ").pop())
        return texts[24].arg(command)
    }

    function showRunning() {
        running = ui_Programs.runningPrograms()
        chooser.visible = true
        runningList.forceActiveFocus()
    }

    function addRunning(index) {
        var entry = running[index]
        ui_Programs.addRule(entry.program, entry.match, root.profileNo, newTrigger)
        closeChooser()
    }

    function closeChooser() {
        chooser.visible = false
        running = []
        addButton.forceActiveFocus()
    }

    objectName: "programsPage"
    width: 680
    height: 440
    title: texts[0]
    onCloseClicked: root.closePopup(page)
    onVisibleChanged: if (!visible) chooser.visible = false

    Column {
        id: content
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: 4 }
        spacing: root.spacingUnit

        Row {
            spacing: root.spacingUnit * 3
            CheckBox {
                id: automaticBox
                objectName: "programsAutomatic"
                text: page.texts[8]
                checked: page.storedAutomatic()
                activeFocusOnTab: true
                // The box turns its own mark; the mark shows what is stored again, whatever
                // changes it later (the tray, a change that could not be stored).
                onToggled: function (on) {
                    ui_Programs.automatic = on
                    automaticBox.checked = Qt.binding(page.storedAutomatic)
                }
            }
            UiText {
                anchors.verticalCenter: parent.verticalCenter
                text: page.texts[15]
                color: root.colorGray3
            }
            DropList {
                objectName: "programsDefault"
                width: 150
                label: page.texts[15]
                model: page.profileNames
                currentIndex: page.profileIndex(page.programs !== null ? page.programs.defaultProfile : 0)
                activeFocusOnTab: true
                onChosen: function (index) { ui_Programs.defaultProfile = page.profileNumber(index) }
            }
        }

        UiText {
            objectName: "programsSaveFailed"
            width: parent.width
            visible: page.programs !== null && page.programs.saveFailed
            wrapMode: Text.WordWrap
            text: page.texts[page.programs !== null && page.programs.rulesUnreadable ? 25 : 21]
                .arg(page.programs !== null ? page.programs.rulesPath : "")
            color: root.colorOrange
            font.pixelSize: root.fontMinSize
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }

        UiText {
            objectName: "programsOrphaned"
            width: parent.width
            visible: page.programs !== null && page.programs.orphanedPrograms.length > 0
            wrapMode: Text.WordWrap
            text: page.texts[26].arg(page.programs !== null
                                     ? page.programs.orphanedPrograms.join(", ") : "")
            color: root.colorOrange
            font.pixelSize: root.fontMinSize
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }

        UiText {
            objectName: "programsDefaultNote"
            width: parent.width
            wrapMode: Text.WordWrap
            text: page.texts[22]
            color: root.colorGray2
            font.pixelSize: root.fontMinSize
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        UiText {
            objectName: "programsDesktop"
            width: parent.width
            wrapMode: Text.WordWrap
            // Sentences joined as the language joins them (no space after "。").
            text: {
                var text = page.texts[10 + page.desktop]
                if (page.programs !== null && page.programs.focusSource !== "")
                    text = root.sentences(text, page.texts[23].arg(page.programs.focusSource))
                if (page.programs !== null && page.programs.focusHint !== "")
                    text = root.sentences(text, page.setupText(page.programs.focusSetup,
                                                               page.programs.focusHint))
                return text
            }
            color: root.colorGray2
            font.pixelSize: root.fontMinSize
        }

        Row {
            id: heads
            spacing: root.spacingUnit
            Repeater {
                model: [[page.texts[1], 184], [page.texts[2], 120], [page.texts[3], 248]]
                UiText {
                    required property var modelData
                    width: modelData[1]
                    text: modelData[0]
                    color: root.colorGray3
                    elide: Text.ElideRight
                }
            }
        }

        Rectangle {
            width: parent.width
            height: 228
            color: root.colorBlack
            border.color: root.colorGray1

            UiText {
                anchors.centerIn: parent
                visible: page.rules.length === 0
                text: page.texts[19]
                color: root.colorGray2
            }
            ListView {
                id: ruleList
                objectName: "programRules"
                anchors { fill: parent; margins: 4 }
                clip: true
                spacing: 2
                model: page.rules
                Accessible.role: Accessible.List
                Accessible.name: page.texts[0]

                delegate: Row {
                    id: ruleRow
                    required property int index
                    required property var modelData
                    objectName: "programRule" + index
                    spacing: root.spacingUnit
                    height: 28

                    UiText {
                        objectName: "programRuleName" + ruleRow.index
                        width: 180
                        anchors.verticalCenter: parent.verticalCenter
                        text: ruleRow.modelData.program
                        elide: Text.ElideMiddle
                    }
                    DropList {
                        objectName: "programRuleProfile" + ruleRow.index
                        width: 120
                        anchors.verticalCenter: parent.verticalCenter
                        label: page.texts[2] + " " + ruleRow.modelData.program
                        model: page.profileNames
                        currentIndex: page.profileIndex(ruleRow.modelData.profile)
                        activeFocusOnTab: true
                        onChosen: function (index) {
                            ui_Programs.setRuleProfile(ruleRow.index, page.profileNumber(index))
                        }
                    }
                    DropList {
                        objectName: "programRuleTrigger" + ruleRow.index
                        width: 248
                        anchors.verticalCenter: parent.verticalCenter
                        label: page.texts[3] + " " + ruleRow.modelData.program
                        model: page.triggerNames
                        currentIndex: ruleRow.modelData.trigger
                        activeFocusOnTab: true
                        onChosen: function (index) { ui_Programs.setRuleTrigger(ruleRow.index, index) }
                    }
                    TextButton {
                        objectName: "programRuleRemove" + ruleRow.index
                        width: 84
                        height: 24
                        anchors.verticalCenter: parent.verticalCenter
                        text: page.texts[7]
                        activeFocusOnTab: true
                        Accessible.name: page.texts[7] + " " + ruleRow.modelData.program
                        onClicked: ui_Programs.removeRule(ruleRow.index)
                    }
                }
            }
        }

        Row {
            spacing: root.spacingUnit * 2
            TextButton {
                id: addButton
                objectName: "programsAdd"
                width: 120
                height: 28
                text: page.texts[6]
                activeFocusOnTab: true
                onClicked: page.showRunning()
            }
            TextButton {
                objectName: "programsAddFile"
                width: 140
                height: 28
                text: page.texts[9]
                activeFocusOnTab: true
                onClicked: ui_Programs.addRuleFromFile(root.profileNo, page.newTrigger)
            }
        }
    }

    // The running programs to choose from, over the rule list.
    Rectangle {
        id: chooser
        objectName: "programsChooser"
        anchors.fill: parent
        visible: false
        color: root.colorGray0
        border.color: root.colorGray1
        Accessible.role: Accessible.Dialog
        Accessible.name: page.texts[16]

        UiText {
            id: chooserTitle
            anchors { left: parent.left; top: parent.top; margins: 10 }
            text: page.texts[16]
            color: root.colorGray3
        }
        ListView {
            id: runningList
            objectName: "programsRunning"
            anchors { left: parent.left; right: parent.right; top: chooserTitle.bottom; bottom: cancelButton.top; margins: 10 }
            clip: true
            model: page.running
            keyNavigationEnabled: true
            activeFocusOnTab: true
            Accessible.role: Accessible.List
            Accessible.name: page.texts[16]
            Keys.onReturnPressed: if (currentIndex >= 0) page.addRunning(currentIndex)
            Keys.onSpacePressed: if (currentIndex >= 0) page.addRunning(currentIndex)
            Keys.onEscapePressed: page.closeChooser()

            delegate: Rectangle {
                id: runningRow
                required property int index
                required property var modelData
                objectName: "programsRunningRow" + index
                width: ListView.view.width
                height: 26
                color: runningArea.containsMouse ? root.colorOrange
                     : runningRow.ListView.isCurrentItem && runningList.activeFocus ? root.colorBlue
                     : "transparent"
                Accessible.role: Accessible.ListItem
                Accessible.name: modelData.name
                Accessible.onPressAction: page.addRunning(index)

                Image {
                    id: icon
                    anchors { left: parent.left; leftMargin: 4; verticalCenter: parent.verticalCenter }
                    width: 20
                    height: 20
                    sourceSize { width: 20; height: 20 }
                    source: "image://programicon/" + encodeURIComponent(runningRow.modelData.icon)
                    Accessible.ignored: true
                }
                UiText {
                    anchors { left: icon.right; leftMargin: 8; right: parent.right; verticalCenter: parent.verticalCenter }
                    text: runningRow.modelData.name
                    elide: Text.ElideRight
                    Accessible.ignored: true
                }
                MouseArea {
                    id: runningArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: page.addRunning(runningRow.index)
                }
            }
        }
        TextButton {
            id: cancelButton
            objectName: "programsChooserCancel"
            anchors { right: parent.right; bottom: parent.bottom; margins: 10 }
            width: 100
            height: 28
            text: page.texts[17]
            activeFocusOnTab: true
            onClicked: page.closeChooser()
        }
    }
}
