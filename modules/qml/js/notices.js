.pragma library

// The texts by which the window tells what it will not do, asks before it drops changes and
// shows the progress of a long write: the language section "notices", its built-in defaults
// and their places in it. "%1" and "%2" stand for a name or a number.

var Notice = {
    UnsavedTitle: 0, UnsavedQuestion: 1, Save: 2, Discard: 3, Stay: 4,
    DeleteMacroTitle: 5, DeleteMacroQuestion: 6, UsedByNone: 7, UsedByOne: 8, UsedByMany: 9,
    Delete: 10, Cancel: 11,
    NameTaken: 12, FirstProfileName: 13, MacroListFull: 14, MacroFull: 15, ResetFailed: 16,
    NoBrowser: 17, Writing: 18,
    // 19 … 22: the file dialogs' captions and filters, used by the program's native side.
    OpenFile: 19, SaveFile: 20, ProfileFilter: 21, MacroFilter: 22,
    // 23 … 25: a profile file refused by Export or Import, in the order of the program's
    // refusal codes 1 … 3 (no regular file, one of the program's own files, no profile).
    ExportNotAFile: 23, ExportStoreFile: 24, ImportNotAProfile: 25,
    DelayRefused: 26
};

var defaults = [
    "Unsaved changes",
    "Some settings are changed and not saved yet. Save them to the mouse first?",
    "Save", "Discard", "Stay",
    "Delete macro",
    "Delete the macro \"%1\"?",
    "No button uses it.",
    "1 button uses it and gets its factory function back, on the mouse too.",
    "%1 buttons use it and get their factory functions back, on the mouse too.",
    "Delete", "Cancel",
    "\"%1\" is already in the list; choose another name.",
    "The first profile is always called \"%1\"; its name cannot be changed.",
    "The list holds %1 macros, the most it can; delete one to make room.",
    "The macro has reached %1 bytes, the most the mouse keeps; no step can be added.",
    "The profile could not be reset: its file cannot be written (is the disk full?). Nothing was changed.",
    "No web browser could be started. The support address is:",
    "Writing to the mouse: %1 of %2",
    "Open File", "Save File", "Profile(*.pf)", "Macro(*.mc)",
    "Export refused: \"%1\" is not a regular file.",
    "Export refused: \"%1\" is one of the program's own files.",
    "Import refused: \"%1\" is not a profile file.",
    "A delay is a whole number of milliseconds from 0 to %1."
];

// The text at index of texts (the defaults past its end) with %1, %2 … replaced by args.
function format(texts, index, args) {
    var text = texts && index < texts.length && texts[index] !== "" ? String(texts[index])
                                                                   : defaults[index];
    for (var i = 0; args && i < args.length; ++i)
        text = text.split("%" + (i + 1)).join(String(args[i]));
    return text;
}

// What deleting a macro does to the buttons: the sentence for count buttons using it.
function usedBy(texts, count) {
    if (count <= 0)
        return format(texts, Notice.UsedByNone);
    if (count === 1)
        return format(texts, Notice.UsedByOne);
    return format(texts, Notice.UsedByMany, [count]);
}
