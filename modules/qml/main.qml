import QtQuick
import "basic"
import "common"
import "flows"
import "pages"
import "js/entry_text.js" as EntryText
import "js/formats.js" as Formats
import "js/key_names.js" as KeyNames
import "js/macro_names.js" as MacroNames
import "js/notices.js" as Notices
import "js/profile_names.js" as ProfileNames

// The root of the scene: the look every page shares, the main screen, the pop-up pages and
// the window. The flows that span pages (Save, Reset, the profile switch, the questions, the
// busy lock and the counted write; what a macro's change means for its buttons) live in
// flows/, made once below; the root routes the pages' signals to them.
// It stays invisible until the program calls initUI() for a connected device; the native
// side reaches it only through the functions below, and the scene reaches the native side
// only through ui_View, ui_Ctl and hid, which exist once loading is done (and the programs
// page through ui_Programs, the automatic profile switch).
//
// Pages plug in through one contract: `texts` (replaced by their language section), and
// init(send, recovery), save(send), isSave where they keep settings. Each page lies in a
// Loader (its place); the root reaches a page only through page(place) and callPage, which
// pass by a place that holds no page, and through the pages' signals (end of this file).
// The button page, the macro editor and the system page are built the first time they open
// or a flow needs them (openPage, ensurePage), and kept; until then the root holds what the
// main screen takes from them (the macro names, the button page's words).
Item {
    id: root

    // Device facts and state.
    // The language the texts are read in (a file of modules/i18n), from the stored choice.
    property string language: "English"
    // The languages installed with the program: { code, name, fonts } each, by name.
    property var shippedLanguages: []
    // Each section's built-in texts, kept for the next language.
    property var builtInTexts: ({})
    property string url: "https://www.korvane.example/support"
    property bool isColorful: false
    property bool isGun: true
    property string icType: "553"
    property bool is55328: false
    property bool isPownOn: false
    // Between initUI() and startUp(); a protection period ending meanwhile ends after it.
    property bool startUpDue: false
    property bool protectionOwed: false
    property int stageReported: -1
    property int keyCount: 0
    property string deviceName: ""
    property int profileNo: 0
    property var profileEntries: []
    // The macro names in the macro editor's order, for the assignment page.
    property var macroNames: []
    // The button page's words, which the key matrix list is made of too.
    property var assignmentTexts: EntryText.defaultLabels.slice()
    // The language sections of the pages not built yet, as read at start-up.
    property var pageSections: ({})
    // The DPI stage in use, counted from 0; -1 while the device has not said.
    property int currentStage: -1
    // The button under the pointer (on the list or the picture) and the one being assigned,
    // as positions 0 … 15; -1 for none.
    property int hoveredButton: -1
    property int selectedButton: -1
    property int popupTop: 20
    // The host window is shown and not minimised: what only the eye needs (the lighting
    // preview) rests while it is not.
    property bool windowShown: false
    // What the window asks, refuses and shows of a long write (language section "notices").
    property var notices: Notices.defaults.slice()

    // Texts of the main screen: 0 "Editor" … 10 "Save", 11 … 14 spare.
    property var mainLang: ["Editor", "Macro Editor", "Gun Editor", "LOD", "Config", "Reset",
        "Reset factory setting", "Cancel", "OK", "System setting", "Save", "", "", "", ""]

    // What a screen reader calls the things that show no text of their own: 0 "Help",
    // 1 "Minimise", 2 "Close", 3 "Profile", 4 "Marker of button", 5 "Restore factory values",
    // 6 the window, 7 … 9 spare.
    property var accessTexts: ["Help", "Minimise", "Close", "Profile", "Marker of button",
        "Restore factory values", "Mouse configuration", "", "", ""]

    // The look. The font is the first installed here of the language's own fonts (its
    // script's), then of fontCandidates; every one of them renders Chinese but the last.
    property string fontFamily: "微软雅黑"
    readonly property var fontCandidates: ["微软雅黑", "Microsoft YaHei", "WenQuanYi Micro Hei",
        "Noto Sans CJK SC", "Source Han Sans SC", "DejaVu Sans"]
    // Composed texts and numbers with units in the language's order and signs.
    property var formats: Formats.defaults.slice()
    property string decimalPoint: "."
    // Whether the language's script has capitals and letters that stand apart: titles are
    // then set in spaced capitals (by the language's own rules), otherwise as written.
    property bool scriptCapitals: true
    property int fontMinSize: 10
    property int fontNormalSize: 12
    property int fontMiddleSize: 14
    property int fontMaxSize: 16
    property color fontColor: "#ffffff"
    property color colorGray0: "#1a1a1a"
    property color colorGray1: "#3c3c3c"
    property color colorGray2: "#969696"
    property color colorGray3: "#d1d1d1"
    property color colorBlue: "#09347f"
    property color colorOrange: "#b20808"
    property color colorBlack: "#000000"
    // The keyboard focus ring: light blue, at least 3:1 against every surface of the scene.
    property color colorFocus: "#59b4ff"
    property int skin_No: 1
    readonly property int spacingUnit: 8

    // The pop-up frames open now, in the order they were opened: the last one has the keyboard.
    property var frameStack: []

    // Whether something was changed and not saved yet: Save is red then.
    readonly property bool unsaved: lodRow.isSave || dirty(keyMatrixPlace) || dirty(dpiPlace)
                                    || dirty(lightingPlace)
    readonly property bool popupOpen: shown(macroEditorPlace) || shown(gunPlace)
                                      || shown(systemPlace) || shown(keyAssignmentPlace)
                                      || shown(profilesPlace) || resetBox.visible
                                      || questionBox.visible || shown(programsPlace)

    signal msg_KB(bool isDown, int usbCode)
    signal msg_MS(bool isDown, int code, int x, int y)
    signal emptyAreaPressed()

    width: 1024
    height: 640
    visible: false
    // The root holds the focus until Tab gives it to a control, so that keys reach the
    // handler below from the start.
    focus: true
    Accessible.role: Accessible.Client
    Accessible.name: deviceName !== "" ? deviceName : accessTexts[6]

    // The desktop's keys, while the main screen is in front: Ctrl+S saves, F1 opens the help
    // menu. Ctrl+Q quits from anywhere, after the unsaved question, as the tray's Quit does.
    Keys.onPressed: function (event) {
        var front = mainScreen.visible && !root.popupOpen
        if (event.matches(StandardKey.Save)) {
            if (front)
                flows.startFlow(flows.save)
        } else if (event.matches(StandardKey.Quit)) {
            if (mainScreen.visible)
                flows.quitRequested()
        } else if (event.key === Qt.Key_F1 && event.modifiers === Qt.NoModifier) {
            if (front && !askMenu.open)
                askMenu.popUpHelp()
        } else {
            return
        }
        event.accepted = true
    }

    // --- called by the program ----------------------------------------------------------

    // The start picture, locked for its time; startUp() follows once it is on the screen.
    function initUI() {
        startUpDue = true
        setProtectUI(ui_View.startPictureMs())
        root.visible = true
    }

    // Reads the device and the stored settings into the pages (the first time) and the DPI
    // stage in use; the start picture's time may have ended meanwhile.
    function startUp() {
        if (!isPownOn)
            powerOn()
        // A stage the mouse reported during the start picture is newer than the query's answer.
        setCurrentStage(stageReported >= 0 ? stageReported
                                           : Number(ui_View.mouseGetCurrentDPI()) - 1)
        stageReported = -1
        startUpDue = false
        if (protectionOwed) {
            protectionOwed = false
            protectionEnded()
        }
    }

    function run() {
    }

    // The close icon, or the desktop's close for the window: the unsaved question, then the tray.
    function closeRequested() {
        flows.closeRequested()
    }

    // Quit (the tray's, Ctrl+Q): the unsaved question, then the program ends.
    function quitRequested() {
        flows.quitRequested()
    }

    function setWindowShown(shown) {
        windowShown = shown === true
        if (windowShown && mainScreen.started)
            useKeyboardLayout()
    }

    function detectKeyboard(isDown, usbCode) {
        msg_KB(isDown, usbCode)
    }

    function detectMouse(isDown, code, x, y) {
        msg_MS(isDown, code, x, y)
    }

    // Locks the whole view behind the busy indicator for interval ms; 0 unlocks at once.
    function setProtectUI(interval) {
        protectTimer.stop()
        if (interval <= 0) {
            protectionEnded()
            return
        }
        controlUIEnable(false)
        protectTimer.interval = interval
        protectTimer.start()
    }

    // The end of a protection period: the view takes input again, and the first one replaces
    // the start picture by the main screen.
    function protectionEnded() {
        if (startUpDue) {
            protectionOwed = true
            return
        }
        controlUIEnable(true)
        if (powerOnLogo.visible) {
            powerOnLogo.visible = false
            mainScreen.started = true
        }
    }

    // The device switched its DPI stage (numbered from 1; 0 says nothing).
    function setCurrentDPI(dpiValue) {
        if (dpiValue === 0)
            return
        if (startUpDue)
            stageReported = dpiValue - 1
        setCurrentStage(dpiValue - 1)
    }

    // The same lock without a timer.
    function controlUIEnable(on) {
        busyIndicator.running = !on
        ui_View.setEnabled(on)
    }

    // A profile chosen from outside the window (the tray, a rule for the running program, the
    // command line); false for a number that names no profile of the list.
    function requestProfile(number) {
        return flows.requestProfile(number)
    }

    // The stored profile list was changed from outside the window: the profiles page and the
    // drop-down read it again.
    function reloadProfileList() {
        initPage(profilesPlace, false, false)
    }

    // Closes every open drop-down of the main screen.
    function mainFocus() {
        lodRow.closeDropDowns()
        topMenu.closeDropDowns()
        askMenu.close()
        callPage(dpiPlace, "closeDropDowns")
        callPage(lightingPlace, "closeDropDowns")
    }

    // The address of a picture of the skin in use; gun pictures always come from skin 1.
    function image(group, name) {
        var skin = group === "gun" ? 1 : skin_No
        return "qrc:/modules/img/skin" + skin + "/" + group + "/" + name + ".svg"
    }

    // --- pages ----------------------------------------------------------------------------

    function page(place) {
        return place.status === Loader.Ready ? place.item : null
    }

    function dirty(place) {
        var p = page(place)
        return p !== null && p.isSave === true
    }

    function shown(place) {
        var p = page(place)
        return p !== null && p.visible
    }

    function compose(index, args) {
        return Formats.compose(formats, index, args)
    }

    function millimetres(value) {
        return compose(Formats.Format.Millimetres, [Formats.number(value, decimalPoint)])
    }

    function milliseconds(value) {
        return compose(Formats.Format.Milliseconds, [Formats.number(value, decimalPoint)])
    }

    // Two sentences one after the other, as the language sets them (no space in Chinese and
    // Japanese, whose full stop carries its own).
    function sentences(first, second) {
        return compose(Formats.Format.Sentences, [first, second])
    }

    // A title in capitals where the script has them.
    function capitals(text) {
        // Read, so that a title follows a change of language; until the first language is
        // applied (before the bridge is there) titles show as written.
        var rules = language
        if (!scriptCapitals || rules === "" || typeof ui_View === "undefined")
            return String(text)
        return ui_View.upperCase(String(text))
    }

    // Letter spacing of a title: none where the script has no capitals or joins its letters.
    function titleSpacing(spacing) {
        return scriptCapitals ? spacing : 0
    }

    function callPage(place, name, args) {
        var p = page(place)
        if (p !== null && typeof p[name] === "function")
            return p[name].apply(p, args || [])
        return undefined
    }

    function initPage(place, send, recovery) {
        callPage(place, "init", [send, recovery])
    }

    // The page of a place that is built on demand, built now if it is not yet.
    function ensurePage(place) {
        if (!place.active)
            place.active = true
        return page(place)
    }

    function openPage(place) {
        openPopup(ensurePage(place))
    }

    // A page built on demand starts as it would have at start-up: its language section,
    // then its values from the profile in use.
    function pageBuilt(place, section) {
        var p = place.item
        if (!isPownOn || !p)
            return
        if (section in pageSections)
            p.texts = mergedTexts(section, pageSections[section], builtIn(section, p.texts), false)
        if (typeof p.init === "function")
            p.init(false, false)
    }

    function setCurrentStage(index) {
        currentStage = index
    }

    // The strings of a language section. A section the language file lacks keeps the
    // built-in texts, and a short one keeps the built-in texts past its end: a missing or
    // cut language file never leaves the window without words.
    function sectionTexts(section, current) {
        return mergedTexts(section, ui_View.getLangStrings(section, language),
                           builtIn(section, current), true)
    }

    function builtIn(key, current) {
        if (!(key in builtInTexts))
            builtInTexts[key] = current
        return builtInTexts[key]
    }

    function mergedTexts(section, given, builtIn, report) {
        if (!given || given.length === 0) {
            if (report)
                console.log("Language " + language + ": section " + section
                            + " is missing; the built-in texts are shown")
            return builtIn
        }
        var texts = []
        var count = Math.max(given.length, builtIn ? builtIn.length : 0)
        for (var i = 0; i < count; ++i)
            texts.push(i < given.length ? String(given[i]) : builtIn[i])
        return texts
    }

    // --- start-up ---------------------------------------------------------------------------

    function powerOn() {
        readDeviceFacts()
        if (icType === "560" && Number(ui_View.mouseReadCurrentProfile()) !== 1)
            hid.hid560_02H_SetCurrentProfile(1)
        loadLanguage()
        initPage(profilesPlace, false, false)
        profileNo = storedProfileNo()
        ui_View.setCurrentProfile(profileNo)
        // The lift-off row reads the profile in use, so it comes after the profile is chosen.
        lodRow.init(false, false)
        macroNames = MacroNames.fromStored(ui_View.getNameList(0))
        initPage(gunPlace, false, false)
        initPage(keyMatrixPlace, false, false)
        initPage(dpiPlace, false, false)
        initPage(lightingPlace, false, false)
        lodRow.isSave = false
        isPownOn = true
        if (flag("mouse/profileSentInPart")) {
            console.log("The last switch to profile " + (profileNo + 1)
                        + " was cut short: the profile is sent whole")
            flows.applyProfile()
            ui_View.setGlobalData("mouse/profileSentInPart", false)
        }
    }

    function flag(key) {
        return String(ui_View.getGlobalData(key)) === "true"
    }

    function readDeviceFacts() {
        isColorful = flag("mouse/isColorful")
        isGun = flag("mouse/isGun")
        is55328 = flag("mouse/is55328")
        icType = String(ui_View.getGlobalData("mouse/icType"))
        var count = Number(ui_View.getGlobalData("mouse/keyCount"))
        keyCount = isFinite(count) ? Math.max(0, Math.min(16, Math.floor(count))) : 0
        deviceName = String(ui_View.getGlobalData("common/name") || "")
        shippedLanguages = ui_View.languages()
        var choice = ui_View.getGlobalData("common/language")
        useLanguage(choice === undefined ? "" : String(choice))
        var address = ui_View.getGlobalData("common/url")
        if (address !== undefined)
            url = String(address)
    }

    function loadLanguage() {
        mainLang = sectionTexts("main", mainLang)
        accessTexts = sectionTexts("access", accessTexts)
        var sections = [["keyMatrix", keyMatrixPlace], ["keyAssigment", keyAssignmentPlace],
                        ["dpiSetting", dpiPlace], ["lightControl", lightingPlace],
                        ["macroEditor", macroEditorPlace], ["systemSetting", systemPlace],
                        ["gunControl", gunPlace], ["profile", profilesPlace],
                        ["programs", programsPlace]]
        var later = {}
        for (var i = 0; i < sections.length; ++i) {
            var section = sections[i][0]
            later[section] = ui_View.getLangStrings(section, language)
            var p = page(sections[i][1])
            if (p !== null)
                p.texts = mergedTexts(section, later[section], builtIn(section, p.texts), true)
            else
                mergedTexts(section, later[section], [], true)
        }
        pageSections = later
        assignmentTexts = mergedTexts("keyAssigment", later["keyAssigment"],
                                      builtIn("assignmentTexts", assignmentTexts), false)
        notices = sectionTexts("notices", notices)
        formats = sectionTexts("formats", Formats.defaults.slice())
        KeyNames.applyLanguage(ui_View.getLangStrings("keyCode", language))
        loadOtherKeyNames()
        useKeyboardLayout()
        ui_View.getLangStrings("other", language)
    }

    // Macro steps name their keys in the language they were recorded in: the key names of
    // the other shipped languages are looked up too, then the names a language gave a key in
    // earlier versions ("keyCodeFormer", same order), and unknown names are marked.
    function loadOtherKeyNames() {
        var others = []
        for (var i = 0; i < shippedLanguages.length; ++i) {
            if (shippedLanguages[i].code !== language)
                others.push(ui_View.getLangStrings("keyCode", shippedLanguages[i].code))
        }
        for (var j = 0; j < shippedLanguages.length; ++j)
            others.push(ui_View.getLangStrings("keyCodeFormer", shippedLanguages[j].code))
        KeyNames.setOtherLanguages(others)
        KeyNames.setUnknownText(sectionTexts("macroKeys", [KeyNames.unknownText])[0])
    }

    // The language a stored choice gives (a code, or "desktop"), and its fonts.
    function useLanguage(choice) {
        language = ui_View.useLanguage(choice)
        var fonts = []
        var cased = true
        var localeName = "en"
        for (var i = 0; i < shippedLanguages.length; ++i) {
            if (shippedLanguages[i].code === language) {
                fonts = shippedLanguages[i].fonts
                cased = shippedLanguages[i].capitals !== false
                localeName = shippedLanguages[i].locale
            }
        }
        scriptCapitals = cased
        decimalPoint = Qt.locale(localeName).decimalPoint
        chooseFont(fonts.concat(fontCandidates))
    }

    function chooseFont(candidates) {
        var installed = Qt.fontFamilies()
        for (var i = 0; i < candidates.length; ++i) {
            if (installed.indexOf(candidates[i]) >= 0) {
                fontFamily = candidates[i]
                return
            }
        }
    }

    // Keys are shown by their labels on the desktop's keyboard layout, read again whenever the
    // window comes into view (the user may have switched layouts meanwhile) and before the
    // button page opens. Lists and steps already shown take the new labels.
    function useKeyboardLayout() {
        var layout = ui_View.keyboardLayout()
        if (JSON.stringify(layout) === JSON.stringify({ name: KeyNames.layoutName,
                labels: KeyNames.layoutLabels, letters: KeyNames.layoutLetters }))
            return
        KeyNames.setLayout(layout)
        callPage(keyMatrixPlace, "showKeyNames")
        callPage(macroEditorPlace, "showKeyNames")
    }

    // The user's choice on the system page, stored and shown at once on every page; the
    // first profile takes the language's name, as at a start.
    function chooseLanguage(choice) {
        ui_View.setGlobalData("common/language", choice)
        useLanguage(choice)
        loadLanguage()
        initPage(profilesPlace, false, false)
        callPage(macroEditorPlace, "showKeyNames")
    }

    function storedProfileNo() {
        var n = Number(ui_View.getGlobalData("mouse/profileNo"))
        if (!Number.isInteger(n) || n < 0 || n > ProfileNames.maxNumber) {
            // The file counts from 0, the window and the command line from 1.
            console.log("The stored profile in use \"" + ui_View.getGlobalData("mouse/profileNo")
                        + "\" names none of the profiles 1 … " + (ProfileNames.maxNumber + 1)
                        + "; profile 1 is used")
            return 0
        }
        return n
    }

    // --- the main screen's own actions ----------------------------------------------------------

    // Opens the button page for a position. The only button that holds the left click keeps
    // it: the page does not open, the selection is cleared and the list says why.
    function openKeyAssignment(position) {
        var list = page(keyMatrixPlace)
        var assignment = ensurePage(keyAssignmentPlace)
        if (list === null || assignment === null)
            return
        if (!list.mayReassign(position)) {
            selectedButton = -1
            return
        }
        selectedButton = position
        useKeyboardLayout()
        assignment.openFor(position, list.entryAt(position), list.textAt(position),
                           list.factoryEntryAt(position), list.factoryTextAt(position))
        openPopup(assignment)
    }

    // The user picked the DPI stage to use.
    function chooseStage(index) {
        ui_View.mouseSetCurrentDPI(index + 1)
        currentStage = index
    }

    // Opens a pop-up page above every other one (the macro editor opens over key
    // assignment, for instance).
    function openPopup(frame) {
        mainFocus()
        if (!frame)
            return
        popupTop += 1
        var holder = frame.parent === root ? frame : frame.parent
        holder.z = popupTop
        frame.open()
    }

    function closePopup(frame) {
        if (frame)
            frame.close()
    }

    // A press on an empty area: drop-downs close, and the window follows the pointer.
    function startDrag() {
        emptyAreaPressed()
        mainFocus()
        ui_Ctl.onDragPressed()
    }

    function dragBy(dx, dy) {
        ui_Ctl.onXChanged(dx)
        ui_Ctl.onYChanged(dy)
    }

    Component.onCompleted: chooseFont(fontCandidates)

    // --- the main screen ----------------------------------------------------------------

    // Dragging an empty area moves the frameless window.
    MouseArea {
        id: dragRegion
        anchors.fill: parent
        property point pressPoint
        onPressed: function (mouse) {
            pressPoint = Qt.point(mouse.x, mouse.y)
            root.startDrag()
        }
        onPositionChanged: function (mouse) {
            root.dragBy(mouse.x - pressPoint.x, mouse.y - pressPoint.y)
        }
    }

    PowerOnLogo {
        id: powerOnLogo
        objectName: "powerOnLogo"
        anchors.centerIn: parent
        title: root.deviceName
    }

    // Above every pop-up, however many have been opened (each opening raises popupTop).
    LoadingIndicator {
        id: busyIndicator
        objectName: "busyIndicator"
        anchors.centerIn: parent
        z: Math.max(99, root.popupTop + 1)
        // Read only while a write shows its progress (hid exists by then).
        done: planned > 0 ? hid.exchangesDone - flows.writeStart : 0
        progressText: Notices.format(root.notices, Notices.Notice.Writing)
    }

    Timer {
        id: protectTimer
        repeat: false
        interval: 1000
        onTriggered: root.protectionEnded()
    }

    Item {
        id: mainScreen
        objectName: "mainScreen"
        // Shown once the start picture is gone; left for its picture behind open pop-ups.
        property bool started: false
        property bool covered: false
        anchors.fill: parent
        visible: started && !covered

        Environment {
            anchors.fill: parent
            title: root.deviceName
        }

        // The Tab order is the order of these children: the top menu, the left panel, the
        // picture's markers, the right panel, the bottom bar; z keeps the stacking.
        TopMenu {
            id: topMenu
            z: 4
            x: 920
            y: 16
            profileNames: ProfileNames.names(root.profileEntries)
            profileIndex: ProfileNames.indexOfNumber(root.profileEntries, root.profileNo)
            onAskClicked: askMenu.open ? askMenu.close() : askMenu.popUpHelp()
            onMinimizeClicked: ui_Ctl.onMinimize()
            onCloseClicked: root.closeRequested()
            onProfileChosen: function (index) {
                flows.startFlow(flows.changeProfile, [root.profileEntries[index].number])
            }
        }

        Column {
            id: leftPanel
            z: 1
            x: 24
            y: 88
            spacing: root.spacingUnit

            Loader {
                id: keyMatrixPlace
                width: 240
                height: 370
                source: "common/KeyMatrixList.qml"
            }
            EditorBox {
                width: 240
                height: 76
                title: root.mainLang[0]
                macroText: root.mainLang[1]
                gunText: root.mainLang[2]
                onMacroEditorClicked: root.openPage(macroEditorPlace)
                onGunEditorClicked: root.openPopup(root.page(gunPlace))
            }
            LodRow {
                id: lodRow
                objectName: "lodRow"
                width: 240
                height: 42
                label: root.mainLang[3]
            }
            EntryRow {
                objectName: "systemSettingEntry"
                width: 240
                height: 24
                text: root.mainLang[9]
                icon: root.image("index", "settings")
                onClicked: root.openPage(systemPlace)
            }
        }

        MousePicture {
            id: mousePicture
            z: 5
            anchors.fill: parent
            keyCount: root.keyCount
            hoveredButton: root.hoveredButton
            selectedButton: root.selectedButton
            onMarkerHovered: function (position) { root.hoveredButton = position }
            onMarkerClicked: function (position) { root.openKeyAssignment(position) }
        }

        Column {
            id: rightPanel
            z: 3
            x: 768
            y: 56
            spacing: root.spacingUnit

            Loader {
                id: dpiPlace
                source: "common/DpiPage.qml"
            }
            Loader {
                id: lightingPlace
                source: "common/LightingPage.qml"
            }
        }

        BottomBar {
            id: bottomBar
            z: 2
            anchors { right: parent.right; bottom: parent.bottom; rightMargin: 24; bottomMargin: 8 }
            configText: root.mainLang[4]
            resetText: root.mainLang[5]
            saveText: root.mainLang[10]
            unsaved: root.unsaved
            onConfigClicked: root.openPopup(root.page(profilesPlace))
            onResetClicked: root.openPopup(resetBox)
            onSaveClicked: flows.startFlow(flows.save)
        }
        NoticeLine {
            id: resetNotice
            objectName: "resetNotice"
            anchors { right: bottomBar.right; bottom: bottomBar.top; bottomMargin: 6 }
            width: 440
            horizontalAlignment: Text.AlignRight
        }
    }

    // Behind open pop-ups the main screen is a still picture of itself: its controls leave the
    // screen, so neither the keyboard nor a screen reader finds them under the mask.
    Image {
        id: mainPicture
        objectName: "mainPicture"
        anchors.fill: parent
        visible: mainScreen.covered
        Accessible.ignored: true
    }

    onPopupOpenChanged: {
        if (!popupOpen) {
            mainScreen.covered = false
            mainPicture.source = ""
            return
        }
        if (!mainScreen.visible)
            return
        mainScreen.grabToImage(function (result) {
            if (!root.popupOpen)
                return
            mainPicture.source = result.url
            mainScreen.covered = true
        })
    }

    // --- pop-ups ------------------------------------------------------------------------------

    Rectangle {
        id: mask
        objectName: "mask"
        anchors.fill: parent
        radius: 12
        color: "#90000000"
        visible: root.popupOpen
        z: 10

        MouseArea {
            anchors.fill: parent
            property point pressPoint
            onPressed: function (mouse) {
                pressPoint = Qt.point(mouse.x, mouse.y)
                ui_Ctl.onDragPressed()
            }
            onPositionChanged: function (mouse) {
                root.dragBy(mouse.x - pressPoint.x, mouse.y - pressPoint.y)
            }
        }
    }

    Loader {
        id: macroEditorPlace
        z: 20
        active: false
        source: "pages/MacroEditor.qml"
        onLoaded: root.pageBuilt(macroEditorPlace, "macroEditor")
    }
    Loader { id: gunPlace; z: 20; source: "pages/GunPage.qml" }
    Loader {
        id: systemPlace
        z: 20
        active: false
        source: "pages/SystemSettings.qml"
        onLoaded: root.pageBuilt(systemPlace, "systemSetting")
    }
    Loader {
        id: keyAssignmentPlace
        z: 20
        active: false
        source: "pages/KeyAssignment.qml"
        onLoaded: root.pageBuilt(keyAssignmentPlace, "keyAssigment")
    }
    Loader { id: profilesPlace; z: 20; source: "pages/ProfilesPage.qml" }
    Loader { id: programsPlace; z: 20; source: "pages/ProgramsPage.qml" }

    ResetBox {
        id: resetBox
        objectName: "resetBox"
        z: 20
        title: root.mainLang[5]
        question: root.mainLang[6]
        okText: root.mainLang[8]
        cancelText: root.mainLang[7]
        onAccepted: {
            root.closePopup(resetBox)
            flows.startFlow(flows.askUnsaved, [flows.resetToFactory])
        }
        onCancelled: root.closePopup(resetBox)
    }

    QuestionBox {
        id: questionBox
        z: 20
        onAnswered: function (index) { flows.answer(index) }
    }

    AskMenu {
        id: askMenu
        objectName: "askMenu"
        owner: topMenu.askButton
        url: root.url
    }

    // --- the flows that span pages -------------------------------------------------------------

    Flows {
        id: flows
        keyMatrixPlace: keyMatrixPlace
        dpiPlace: dpiPlace
        lightingPlace: lightingPlace
        systemPlace: systemPlace
        gunPlace: gunPlace
        lodRow: lodRow
        busyIndicator: busyIndicator
        resetBox: resetBox
        resetNotice: resetNotice
        questionBox: questionBox
    }

    MacroFlows {
        id: macroFlows
        keyMatrixPlace: keyMatrixPlace
        keyAssignmentPlace: keyAssignmentPlace
        macroEditorPlace: macroEditorPlace
        flows: flows
    }

    Binding {
        target: root.page(dpiPlace)
        property: "currentStage"
        value: root.currentStage
        when: root.page(dpiPlace) !== null
    }

    Connections {
        target: root.page(dpiPlace)
        ignoreUnknownSignals: true
        function onStageChosen(index) { root.chooseStage(index) }
    }

    // The mouse picture plays the lighting page's effect before it is saved, while the
    // window is shown.
    Binding {
        target: mousePicture
        property: "lightColours"
        value: root.page(lightingPlace) !== null ? root.page(lightingPlace).colours : []
        when: root.page(lightingPlace) !== null
    }
    Binding {
        target: mousePicture
        property: "lightFrom"
        value: root.page(lightingPlace) !== null ? root.page(lightingPlace).previewFrom : 0
        when: root.page(lightingPlace) !== null
    }
    Binding {
        target: mousePicture
        property: "lightTo"
        value: root.page(lightingPlace) !== null ? root.page(lightingPlace).previewTo : 0
        when: root.page(lightingPlace) !== null
    }
    Binding {
        target: mousePicture
        property: "lightMix"
        value: root.page(lightingPlace) !== null ? root.page(lightingPlace).previewMix : 0
        when: root.page(lightingPlace) !== null
    }
    Binding {
        target: mousePicture
        property: "lightLevel"
        value: root.page(lightingPlace) !== null ? root.page(lightingPlace).previewLevel : 1
        when: root.page(lightingPlace) !== null
    }

    Connections {
        target: root.page(systemPlace)
        ignoreUnknownSignals: true
        function onLanguageChosen(choice) { root.chooseLanguage(choice) }
    }

    Connections {
        target: root.page(profilesPlace)
        ignoreUnknownSignals: true
        function onChangeProfile(number) { flows.startFlow(flows.changeProfile, [number]) }
        function onProfilesChanged(entries) { root.profileEntries = entries }
        function onOpenPrograms() { root.openPopup(root.page(programsPlace)) }
    }

    Binding {
        target: root.page(profilesPlace)
        property: "programsText"
        value: root.page(programsPlace).texts[18]
        when: root.page(profilesPlace) !== null && root.page(programsPlace) !== null
    }

    Connections {
        target: root.page(macroEditorPlace)
        ignoreUnknownSignals: true
        function onMacroNamesChanged(names) { root.macroNames = names }
        function onDeleteMacro(name) { macroFlows.forgetMacro(name) }
        function onDeleteAsked(name) { macroFlows.confirmDeleteMacro(name) }
        function onModifyMacroName(oldName, newName) { macroFlows.renameMacro(oldName, newName) }
        function onModifyMacroData(name) { macroFlows.sendMacroToButtons(name) }
    }

    Binding {
        target: root.page(keyAssignmentPlace)
        property: "macroNames"
        value: root.macroNames
        when: root.page(keyAssignmentPlace) !== null
    }

    // --- buttons: the key matrix list, the mouse picture, the button page, the gun page ------

    Binding {
        target: root.page(keyMatrixPlace)
        property: "hoveredButton"
        value: root.hoveredButton
        when: root.page(keyMatrixPlace) !== null
    }

    Binding {
        target: root.page(keyMatrixPlace)
        property: "selectedButton"
        value: root.selectedButton
        when: root.page(keyMatrixPlace) !== null
    }

    // The list's texts are made of the button page's words.
    Binding {
        target: root.page(keyMatrixPlace)
        property: "labels"
        value: root.assignmentTexts
        when: root.page(keyMatrixPlace) !== null
    }

    Binding {
        target: root.page(keyMatrixPlace)
        property: "gunPeriods"
        value: root.page(gunPlace).periods()
        when: root.page(keyMatrixPlace) !== null && root.page(gunPlace) !== null
    }

    Binding {
        target: mousePicture
        property: "functionTexts"
        value: root.page(keyMatrixPlace).entryTexts
        when: root.page(keyMatrixPlace) !== null
    }

    Binding {
        target: mousePicture
        property: "frontText"
        value: root.page(keyMatrixPlace).texts[5]
        when: root.page(keyMatrixPlace) !== null
    }

    Binding {
        target: mousePicture
        property: "sideText"
        value: root.page(keyMatrixPlace).texts[6]
        when: root.page(keyMatrixPlace) !== null
    }

    Binding {
        target: mousePicture
        property: "buttonText"
        value: root.page(keyMatrixPlace).texts[1]
        when: root.page(keyMatrixPlace) !== null
    }

    Connections {
        target: root.page(keyMatrixPlace)
        ignoreUnknownSignals: true
        function onButtonHovered(position) { root.hoveredButton = position }
        function onButtonChosen(position) { root.openKeyAssignment(position) }
    }

    Connections {
        target: root.page(keyAssignmentPlace)
        ignoreUnknownSignals: true
        function onOpenMacroEditor() { root.openPage(macroEditorPlace) }
        function onAssigned(position, entry, text) {
            root.callPage(keyMatrixPlace, "assign", [position, entry, text])
        }
        function onSendMacro(name, slot) { macroFlows.sendMacro(name, slot) }
        function onClosed() { root.selectedButton = -1 }
    }
}
