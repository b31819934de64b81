import QtQuick
import "../basic"
import "../js/slider_map.js" as SliderMap

// The desktop's pointer speed, double-click speed and wheel lines, kept in the profile in use
// and applied to the desktop as soon as they change: one control changes only its own
// setting; loading with send (profile switch, factory reset) applies all three. A setting
// the desktop did not take is said so under its row. Below them, the window's language: each
// shipped language by its own name, or the desktop's; the root applies and stores the choice.
PopupFrame {
    id: page

    // 0 title, 1 pointer speed, 2 double-click speed, 3 wheel row, 4 lines per notch,
    // 5 one screen, 6 slow end, 7 fast end, 8 restore the factory values, 9 OK,
    // 10 a setting this desktop did not take, 11 language, 12 the desktop's language,
    // 13 the pointer speed where the desktop lets no program change it.
    property var texts: ["System setting", "Pointer Speed", "Double-click Speed", "Scroll Speed",
        "Lines per notch", "Scroll one Screen", "Slow", "Fast", "Restore Default", "OK",
        "This desktop did not take the setting", "Language", "Same as the desktop",
        "This desktop does not let programs change it"]
    // The shipped languages ({ code, name }) and the stored choice: a code or "desktop".
    property var languages: []
    property string languageChoice: "desktop"

    // Slider positions 3 … 337 and wheel lines 1 … 100; oneScreen stands for 1000 lines.
    property int pointerPosition: 150
    property int doubleClickPosition: 150
    property int lines: 3
    property bool oneScreen: false
    // Whether the desktop refused the last change of each setting.
    property bool pointerFailed: false
    property bool doubleClickFailed: false
    property bool linesFailed: false
    // Whether the desktop lets programs set the pointer speed at all (asked when loading).
    property bool pointerSettable: true

    readonly property int scrollRate: oneScreen ? SliderMap.scrollOneScreen : lines

    signal languageChosen(string choice)

    // Loads the values of the profile in use (of the factory profile with recovery) and, if
    // asked, stores them and applies all three.
    function init(send, recovery) {
        pointerSettable = ui_View.canSetCursorSpeed()
        pointerPosition = storedPosition("mouse/mouseRate", recovery)
        doubleClickPosition = storedPosition("mouse/doubleRate", recovery)
        var rate = storedRate(recovery)
        oneScreen = SliderMap.isOneScreen(rate)
        if (!oneScreen)
            lines = rate
        pointerRow.slider.value = pointerPosition
        doubleClickRow.slider.value = doubleClickPosition
        linesField.value = lines
        oneScreenBox.checked = oneScreen
        languages = ui_View.languages(root.language)
        var stored = ui_View.getGlobalData("common/language")
        languageChoice = stored === undefined || String(stored) === "" ? "desktop" : String(stored)
        if (send)
            save(true)
    }

    function save(send) {
        store()
        if (send) {
            applyPointer()
            applyDoubleClick()
            applyLines()
        }
    }

    // The factory values, stored and applied.
    function restoreDefaults() {
        init(true, true)
    }

    function store() {
        ui_View.setData("mouse/mouseRate", pointerPosition)
        ui_View.setData("mouse/doubleRate", doubleClickPosition)
        ui_View.setData("mouse/scrollRate", scrollRate)
    }

    function applyPointer() {
        pointerFailed = !ui_View.mouseSetCursorSpeed(SliderMap.systemStep(pointerPosition))
    }

    function applyDoubleClick() {
        doubleClickFailed = !ui_View.mouseSetDoubleClickSpeed(SliderMap.systemStep(doubleClickPosition))
    }

    function applyLines() {
        linesFailed = !ui_View.mouseSetVerticalScrollLines(SliderMap.scrollLines(scrollRate))
    }

    // A stored slider position; anything not 3 … 337 gives the factory one.
    // The drop-down's entries: the desktop's language first, then each language's own name.
    function languageNames() {
        return [texts[12]].concat(languages.map(function (l) { return l.name }))
    }

    // The list in the order a reader of the window's language expects.
    Connections {
        target: root
        function onLanguageChanged() { page.languages = ui_View.languages(root.language) }
    }

    function languageIndex() {
        for (var i = 0; i < languages.length; ++i) {
            if (languages[i].code === languageChoice)
                return i + 1
        }
        return 0
    }

    function chooseLanguage(index) {
        var choice = index > 0 && index <= languages.length ? languages[index - 1].code : "desktop"
        if (choice === languageChoice)
            return
        languageChoice = choice
        languageChosen(choice)
    }

    function storedPosition(key, recovery) {
        var n = Number(ui_View.getData(key, recovery))
        if (Number.isInteger(n) && n >= SliderMap.systemFirst && n <= SliderMap.systemLast)
            return n
        var used = SliderMap.clampSystemPosition(ui_View.getData(key, true))
        console.log("System setting: " + key + " \"" + ui_View.getData(key, recovery) + "\" is not "
                    + SliderMap.systemFirst + " … " + SliderMap.systemLast + "; " + used + " is used")
        return used
    }

    // The stored wheel lines: 1 … 100, or above 100 for one screen; anything else gives the
    // factory value.
    function storedRate(recovery) {
        var n = Number(ui_View.getData("mouse/scrollRate", recovery))
        if (Number.isInteger(n) && n >= SliderMap.scrollMinLines)
            return n
        var factory = Number(ui_View.getData("mouse/scrollRate", true))
        var used = Number.isInteger(factory) && factory >= SliderMap.scrollMinLines ? factory : 3
        console.log("System setting: mouse/scrollRate \"" + ui_View.getData("mouse/scrollRate", recovery)
                    + "\" is not a line count; " + used + " is used")
        return used
    }

    objectName: "systemSettings"
    width: 416
    height: 312
    title: texts[0]
    showBack: true
    backName: texts[8]
    onCloseClicked: root.closePopup(page)
    onBackClicked: restoreDefaults()

    component SpeedRow: Column {
        id: speedRow

        property string label: ""
        property string sliderName: ""
        property bool failed: false
        property string failedText: page.texts[10]
        property alias slider: rowSlider

        signal released(int value)

        width: parent ? parent.width : 0

        Item {
            width: parent.width
            height: 26

            UiText {
                anchors { left: parent.left; right: slowText.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                text: speedRow.label
                // Says what the control beside it says already.
                Accessible.ignored: true
                color: root.colorGray3
                font.bold: true
            }
            UiText {
                id: slowText
                anchors { right: rowSlider.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                text: page.texts[6]
                color: root.colorGray2
                horizontalAlignment: Text.AlignRight
            }
            DropSlider {
                id: rowSlider
                objectName: speedRow.sliderName
                anchors { right: fastText.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                width: 96
                height: 24
                from: SliderMap.systemFirst
                to: SliderMap.systemLast
                trackWidth: SliderMap.systemLast - SliderMap.systemFirst
                label: speedRow.label
                text: String(SliderMap.systemStep(value))
                textOf: SliderMap.systemStep
                onReleased: function (value) { speedRow.released(value) }
            }
            UiText {
                id: fastText
                anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                width: Math.max(40, implicitWidth)
                text: page.texts[7]
                color: root.colorGray2
            }
        }
        Note {
            objectName: speedRow.sliderName + "Note"
            shown: speedRow.failed
            text: speedRow.failedText
        }
    }

    // Said under a setting the desktop did not take; its place stays free otherwise.
    component Note: Item {
        property bool shown: false
        property string text: page.texts[10]

        width: parent ? parent.width : 0
        height: 18

        UiText {
            anchors.fill: parent
            visible: parent.shown
            text: "\u26A0 " + parent.text
            color: "#ff8a3d"
            font.pixelSize: root.fontMinSize + 1
        }
    }

    component Divider: Rectangle {
        width: parent ? parent.width : 0
        height: 1
        color: root.colorGray1
    }

    Column {
        anchors { fill: parent; leftMargin: 8; rightMargin: 8; topMargin: 8 }
        spacing: 8

        SpeedRow {
            id: pointerRow
            label: page.texts[1]
            sliderName: "pointerSpeedSlider"
            failed: page.pointerFailed || !page.pointerSettable
            failedText: page.pointerSettable ? page.texts[10] : page.texts[13]
            onReleased: function (value) {
                page.pointerPosition = value
                page.store()
                page.applyPointer()
            }
        }
        Divider {}
        SpeedRow {
            id: doubleClickRow
            label: page.texts[2]
            sliderName: "doubleClickSlider"
            failed: page.doubleClickFailed
            onReleased: function (value) {
                page.doubleClickPosition = value
                page.store()
                page.applyDoubleClick()
            }
        }
        Divider {}
        Item {
            width: parent.width
            height: 26

            UiText {
                anchors { left: parent.left; right: linesLabel.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                text: page.texts[3]
                color: root.colorGray3
                font.bold: true
            }
            UiText {
                id: linesLabel
                anchors { right: linesField.left; rightMargin: 8; verticalCenter: parent.verticalCenter }
                width: Math.min(implicitWidth, 150)
                text: page.texts[4]
                // Says what the control beside it says already.
                Accessible.ignored: true
                color: linesField.enabled ? root.colorGray3 : root.colorGray2
            }
            NumberField {
                id: linesField
                objectName: "scrollLinesField"
                anchors { right: parent.right; rightMargin: 48; verticalCenter: parent.verticalCenter }
                width: 96
                height: 24
                name: page.texts[4]
                minimum: SliderMap.scrollMinLines
                maximum: SliderMap.scrollMaxLines
                enabled: !page.oneScreen
                opacity: enabled ? 1 : 0.45
                onAccepted: function (value) {
                    page.lines = value
                    page.store()
                    page.applyLines()
                }
            }
        }
        CheckBox {
            id: oneScreenBox
            objectName: "scrollOneScreen"
            anchors.right: parent.right
            anchors.rightMargin: 48
            text: page.texts[5]
            onToggled: function (checked) {
                page.oneScreen = checked
                page.store()
                page.applyLines()
            }
        }
        Note {
            objectName: "scrollLinesNote"
            shown: page.linesFailed
        }
    }

    // The window's language, on the row of OK.
    Item {
        anchors { left: parent.left; right: okButton.left; bottom: parent.bottom; leftMargin: 8; rightMargin: 16 }
        height: 26

        UiText {
            id: languageLabel
            anchors { left: parent.left; verticalCenter: parent.verticalCenter }
            width: Math.min(implicitWidth, parent.width - languageList.width - 8)
            text: page.texts[11]
            // Says what the control beside it says already.
            Accessible.ignored: true
            color: root.colorGray3
            font.bold: true
        }
        DropList {
            id: languageList
            objectName: "languageChoice"
            anchors { left: languageLabel.right; leftMargin: 8; verticalCenter: parent.verticalCenter }
            width: 210
            height: 24
            label: page.texts[11]
            model: page.languageNames()
            currentIndex: page.languageIndex()
            activeFocusOnTab: true
            onChosen: function (index) { page.chooseLanguage(index) }
        }
    }

    TextButton {
        id: okButton
        objectName: "systemSettingsOk"
        anchors { right: parent.right; bottom: parent.bottom }
        width: 80
        height: 26
        text: page.texts[9]
        onClicked: root.closePopup(page)
    }
}
