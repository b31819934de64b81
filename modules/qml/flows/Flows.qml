import QtQuick
import "../basic"
import "../common"
import "../pages"
import "../js/notices.js" as Notices
import "../js/profile_names.js" as ProfileNames

// The flows that span pages: Save, the profile switch, Reset, the unsaved question and the
// other questions, and the busy lock and the counted long write they run behind. The root
// makes it once and hands it the places and boxes it drives; it reads the root's state
// (unsaved, profileNo, profileEntries, notices) and reaches the pages only through the root's
// page contract (page, callPage, initPage, ensurePage) and its pop-up functions.
QtObject {
    id: flows

    // The pages that hold profile settings, in the order Save sends them.
    required property Loader keyMatrixPlace
    required property Loader dpiPlace
    required property Loader lightingPlace
    // Re-read with the others when a profile is applied.
    required property Loader systemPlace
    required property Loader gunPlace
    required property LodRow lodRow
    required property LoadingIndicator busyIndicator
    required property ResetBox resetBox
    required property NoticeLine resetNotice
    required property QuestionBox questionBox

    // The steps the open question runs, one per answer (null: nothing but closing it).
    property var questionSteps: []
    // The transport's exchange count when the write in progress began.
    property int writeStart: 0
    readonly property var settingPlaces: [keyMatrixPlace, dpiPlace, lightingPlace]

    // Starts a flow once the press that asked for it has returned: a screen reader waits for
    // the press's reply and would seem to hang for the seconds a flow takes. A press that
    // reaches the window while another flow runs (a screen reader's does, the locked view
    // does not stop it) is dropped rather than run inside the other.
    function startFlow(flow, args) {
        Qt.callLater(function () {
            if (!flows.busyIndicator.running)
                flow.apply(flows, args || [])
        })
    }

    // The close icon, or the desktop's close for the window: unsaved changes are asked about,
    // then the window goes to the tray. A question already open is answered first.
    function closeRequested() {
        if (questionBox.visible)
            return
        startFlow(askUnsaved, [function () { ui_Ctl.onClose() }])
    }

    // Quit: unsaved changes are asked about first (Stay keeps the program running), then the
    // program ends. A question already open is answered first.
    function quitRequested() {
        if (questionBox.visible)
            return
        startFlow(askUnsaved, [function () { ui_Ctl.onQuit() }])
    }

    // Saves and sends the key matrix, the DPI page, the lighting page and the lift-off
    // distance, in that order, when anything is unsaved.
    function save() {
        root.mainFocus()
        if (!root.unsaved)
            return
        writing(function () {
            for (var i = 0; i < settingPlaces.length; ++i) {
                var p = root.page(settingPlaces[i])
                if (p !== null) {
                    p.save(true)
                    p.isSave = false
                }
            }
            lodRow.save(true)
            lodRow.isSave = false
        })
    }

    // Runs work behind the busy lock; the lock goes whatever happens in it, so a fault in a
    // page can never leave the window locked.
    function locked(work) {
        root.controlUIEnable(false)
        try {
            work()
        } finally {
            root.controlUIEnable(true)
        }
    }

    // A long write: its exchanges are counted first (planning: nothing reaches the mouse), then
    // it runs behind the busy lock while the indicator shows the exchanges ended over those
    // planned. With changesOnly the mouse gets only the settings it does not hold already.
    function writing(work, changesOnly) {
        ui_View.planWrites(true)
        try {
            sending(work, changesOnly)
        } finally {
            ui_View.planWrites(false)
        }
        writeStart = hid.exchangesDone
        busyIndicator.planned = ui_View.plannedExchanges()
        try {
            locked(function () { sending(work, changesOnly) })
        } finally {
            busyIndicator.planned = 0
        }
    }

    // Runs work; with changesOnly its device commands are held back and, when it is done, the
    // ones that change something go out, each setting once.
    function sending(work, changesOnly) {
        if (changesOnly !== true) {
            work()
            return
        }
        ui_View.writeChangesOnly(true)
        try {
            work()
        } finally {
            ui_View.writeChangesOnly(false)
        }
    }

    // Re-reads the pages that hold profile settings from the profile in use and sends them.
    function applyProfile() {
        root.initPage(keyMatrixPlace, true, false)
        lodRow.init(true, false)
        root.initPage(dpiPlace, true, false)
        root.initPage(lightingPlace, true, false)
        root.ensurePage(systemPlace)
        root.initPage(systemPlace, true, false)
    }

    // The current profile back to the factory settings, on the device too. When the factory
    // file cannot be put in place (a full disk) the profile stays as it was, and the window
    // says so beside Reset.
    function resetToFactory() {
        writing(function () {
            root.closePopup(resetBox)
            resetNotice.clear()
            if (!ui_View.resetProfile(root.profileNo)) {
                resetNotice.show(Notices.format(root.notices, Notices.Notice.ResetFailed))
                return
            }
            for (var i = 0; i < settingPlaces.length; ++i) {
                var p = root.page(settingPlaces[i])
                if (p !== null)
                    p.isSave = false
            }
            applyProfile()
            ui_View.mouseSetCurrentDPI(2)
            root.setCurrentStage(1)
            root.callPage(gunPlace, "reset")
            lodRow.isSave = false
        })
    }

    // The drop-down's switch writes the whole profile to the mouse; one chosen from outside
    // the window (changesOnly) writes what the mouse does not hold already.
    function changeProfile(number, changesOnly) {
        if (number === root.profileNo || number < 0 || number > ProfileNames.maxNumber)
            return
        askUnsaved(function () { switchProfile(number, changesOnly) })
    }

    // The stored profile in use is marked as sent in part until the mouse has all of it: a switch
    // cut short (the program killed, its display gone) is sent whole at the next start. A switch
    // of changes only sends its writes when its work is done, so the mark goes after it.
    function switchProfile(number, changesOnly) {
        writing(function () {
            root.profileNo = number
            ui_View.setGlobalData("mouse/profileNo", number)
            ui_View.setGlobalData("mouse/profileSentInPart", true)
            ui_View.setCurrentProfile(number)
            applyProfile()
        }, changesOnly)
        ui_View.setGlobalData("mouse/profileSentInPart", false)
    }

    // A profile chosen from outside the window (the tray, a rule for the running program, the
    // command line): the drop-down's flow, writing only what changes; false for a number that
    // names no profile of the list.
    function requestProfile(number) {
        if (ProfileNames.indexOfNumber(root.profileEntries, Number(number)) < 0)
            return false
        changeProfile(Number(number), true)
        return true
    }

    // Asks a question with the answers given; answering runs steps[answer] (when there is
    // one) after the box has gone. The focus starts on answer focused (the first when not
    // given): a question whose first answer destroys something starts on the safe one.
    function ask(title, question, answers, steps, focused) {
        questionBox.title = title
        questionBox.question = question
        questionBox.answers = answers
        questionSteps = steps
        root.openPopup(questionBox)
        questionBox.focusAnswer(focused === undefined ? 0 : focused)
    }

    function answer(index) {
        var step = questionSteps[index]
        questionSteps = []
        root.closePopup(questionBox)
        if (typeof step === "function")
            step()
    }

    // Runs step at once when nothing is unsaved; otherwise asks first: save the changes,
    // discard them, or stay and keep them (step does not run).
    function askUnsaved(step) {
        if (!root.unsaved) {
            step()
            return
        }
        var t = root.notices
        ask(Notices.format(t, Notices.Notice.UnsavedTitle),
            Notices.format(t, Notices.Notice.UnsavedQuestion),
            [Notices.format(t, Notices.Notice.Save), Notices.format(t, Notices.Notice.Discard),
             Notices.format(t, Notices.Notice.Stay)],
            [function () { save(); step() }, function () { discardChanges(); step() }, null])
    }

    // The pages with unsaved changes read the profile in use again; nothing is sent.
    function discardChanges() {
        for (var i = 0; i < settingPlaces.length; ++i) {
            var p = root.page(settingPlaces[i])
            if (p !== null && p.isSave === true) {
                p.init(false, false)
                p.isSave = false
            }
        }
        if (lodRow.isSave)
            lodRow.discard()
    }
}
