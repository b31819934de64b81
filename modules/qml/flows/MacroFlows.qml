import QtQuick
import "../js/macro_record.js" as MacroRecord
import "../js/notices.js" as Notices
import "../js/profile_names.js" as ProfileNames

// What a macro's change means for the buttons bound to it: sending a stored macro to a slot,
// and following an edit, a rename or a deletion on the key matrix, the button page and the
// other profiles. The root makes it once and routes the macro editor's and the button page's
// signals here.
QtObject {
    id: macroFlows

    required property Loader keyMatrixPlace
    required property Loader keyAssignmentPlace
    required property Loader macroEditorPlace
    // Asks the delete question.
    required property Flows flows

    // Sends the stored macro of that name to a macro slot of the device. A macro without a
    // file sends nothing: an empty record would silence the button.
    function sendMacro(name, slot) {
        var loaded = ui_View.loadMacroIni(name)
        if (!loaded || loaded.length === 0) {
            console.log("Macro \"" + name + "\" has no file; nothing is sent to slot " + slot)
            return
        }
        var stored = MacroRecord.splitStored(loaded)
        ui_View.mouseSendMacroData(MacroRecord.encode(stored.steps, stored.repeat), slot)
    }

    // A macro was edited: every button of the current profile bound to it gets it again, the
    // button's position being its macro slot.
    function sendMacroToButtons(name) {
        var slots = root.callPage(keyMatrixPlace, "macroSlotsOf", [name]) || []
        for (var i = 0; i < slots.length; ++i)
            sendMacro(name, slots[i])
    }

    // A macro was deleted: the current profile's buttons bound to it get their factory entries
    // back (stored and sent by the key matrix list), then those of the other profiles.
    function forgetMacro(name) {
        root.callPage(keyMatrixPlace, "restoreMacroButtons", [name])
        root.callPage(keyAssignmentPlace, "followMacroDelete", [name])
        ui_View.deleteMacroUpdateProfile(name)
    }

    // A macro was renamed: the current profile's buttons first, then the profiles and the file.
    // When the file stays under its old name, the buttons keep naming it.
    function renameMacro(oldName, newName) {
        root.callPage(keyMatrixPlace, "renameMacro", [oldName, newName])
        if (!ui_View.modifyMacroNameUpdateProfile(oldName, newName))
            root.callPage(keyMatrixPlace, "renameMacro", [newName, oldName])
        else
            root.callPage(keyAssignmentPlace, "followMacroRename", [oldName, newName])
    }

    // "Button 5", or "Button 5 (Work)" for a button of another profile than the one in use.
    function buttonNames(users) {
        var matrix = root.page(keyMatrixPlace)
        var word = matrix !== null ? matrix.texts[1] : "Button"
        var names = []
        for (var i = 0; i < users.length; ++i) {
            var text = word + " " + (users[i].button + 1)
            if (users[i].profile !== root.profileNo) {
                var index = ProfileNames.indexOfNumber(root.profileEntries, users[i].profile)
                text += " (" + (index >= 0 ? root.profileEntries[index].name
                                           : String(users[i].profile + 1)) + ")"
            }
            names.push(text)
        }
        return names
    }

    // Deleting a macro resets the buttons bound to it, on the mouse too: the user confirms it,
    // told how many buttons that is and which (the profile named after those of another
    // profile). The focus starts on Cancel.
    function confirmDeleteMacro(name) {
        var t = root.notices
        var users = ui_View.macroUsers(name)
        var question = root.sentences(Notices.format(t, Notices.Notice.DeleteMacroQuestion, [name]),
                                      Notices.usedBy(t, users.length))
        if (users.length > 0)
            question += "\n" + buttonNames(users).join(", ")
        flows.ask(Notices.format(t, Notices.Notice.DeleteMacroTitle), question,
                  [Notices.format(t, Notices.Notice.Delete), Notices.format(t, Notices.Notice.Cancel)],
                  [function () { root.callPage(macroEditorPlace, "removeMacro") }, null], 1)
    }
}
