.pragma library

// The key-name table of the scene: every key and mouse button a macro can press, by its code
// (USB HID keyboard usage, 0xF0 … 0xF4 for the mouse buttons) with its display name, in
// ascending code order. Macro steps name their key by display name, so a name is looked up
// again when the macro is sent to the device.
//
// The table is written as runs: a first code and the names of it and the codes that follow.

var defaultRuns = [
    [0x04, ["A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P",
            "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"]],
    [0x1E, ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0"]],
    // 0x31 (backslash) and 0x32 (the non-US hash key) share one name.
    [0x28, ["Enter", "Esc", "Back", "Tab", "Space", "-", "=", "[", "]", "\\", "\\", ";", "'",
            "`", ",", ".", "/"]],
    [0x39, ["Caps", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"]],
    // The arrows: right, left, down, up.
    [0x46, ["Prt", "Scr", "Pau", "Ins", "Hom", "Pgu", "Del", "End", "PgD",
            "\u25BA", "\u25C4", "\u25BC", "\u25B2"]],
    [0x53, ["Num", "KP/", "KP*", "KP-", "KP+", "KPEnter", "KP1", "KP2", "KP3", "KP4", "KP5",
            "KP6", "KP7", "KP8", "KP9", "KP0", "KP."]],
    [0x64, ["Eur2", "App", "Power", "KP="]],
    [0x68, ["F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"]],
    [0x85, ["Keypad"]],
    [0x87, ["Intl1", "Intl2", "Intl3", "Intl4", "Intl5"]],
    [0x90, ["Lang1", "Lang2"]],
    [0xE0, ["LCtrl", "LShift", "LAlt", "LWin", "RCtrl", "RShift", "RAlt", "RWin"]],
    // Mouse buttons: left, right, middle, back (4), forward (5).
    [0xF0, ["MS-L", "MS-R", "MS-M", "MS-B4", "MS-B5"]]
];

var firstMouseButton = 0xF0;
// Esc: the key that ends a capture or a recording from the keyboard, so never taken by one.
var escapeCode = 0x29;

function expand(runs) {
    var out = [];
    for (var r = 0; r < runs.length; ++r) {
        for (var i = 0; i < runs[r][1].length; ++i)
            out.push({ code: runs[r][0] + i, name: runs[r][1][i] });
    }
    return out;
}

var defaultEntries = expand(defaultRuns);
var entries = expand(defaultRuns);

var count = defaultEntries.length;

// The key names of the other shipped languages, each in table order. A macro step keeps the
// name of the language it was recorded in, so a name is looked up in these as well.
var otherTables = [];

// The word that marks a step whose name no table has (language section "macroKeys").
var unknownText = "unknown key";

// The code of the first entry with this display name in the language in use, failing that in
// each other shipped language; 0 when none has it.
function codeOf(name) {
    var text = String(name);
    if (text === "")
        return 0;
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].name === text)
            return entries[i].code;
    }
    for (var t = 0; t < otherTables.length; ++t) {
        var at = otherTables[t].indexOf(text);
        if (at >= 0)
            return entries[at].code;
    }
    return 0;
}

// The display name of the first entry with this code; "" when no entry has it.
function nameOf(code) {
    var value = Number(code);
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].code === value)
            return entries[i].name;
    }
    return "";
}

// The keyboard layout in use (set by setLayout): its name, the label printed on each key that
// types a character, and the key of each Latin letter. Keys are stored and sent by code and
// named by the language file; the labels only change how they are shown.
var layoutName = "";
var layoutLabels = ({});
var layoutLetters = ({});

// layout: {name, labels: {"<code>": label}, letters: {"a": code}}; an empty one for none.
function setLayout(layout) {
    layoutName = layout && layout.name ? String(layout.name) : "";
    layoutLabels = layout && layout.labels ? layout.labels : ({});
    layoutLetters = layout && layout.letters ? layout.letters : ({});
}

// The name a key is shown by: the label on the key in the layout in use, else its name.
function labelOf(code) {
    var label = layoutLabels[String(Number(code))];
    return label !== undefined && String(label) !== "" ? String(label) : nameOf(code);
}

// The code of the key that types a Latin letter in the layout in use; usCode where the layout
// does not say (no layout read, or none of its groups has the letter).
function letterCode(letter, usCode) {
    var code = layoutLetters[String(letter).toLowerCase()];
    return code !== undefined ? Number(code) : usCode;
}

function isMouseButton(code) {
    return Number(code) >= firstMouseButton;
}

// The display names in table order.
function names() {
    return entries.map(function (entry) { return entry.name; });
}

// The codes in table order.
function codes() {
    return entries.map(function (entry) { return entry.code; });
}

// Display names from the language section "keyCode", in table order. Fewer strings keep the
// default names of the remaining entries, strings beyond the table are ignored, and an empty
// string keeps its entry's default name (a step could not name that key otherwise). Every
// call starts from the defaults, so nothing of an earlier language stays behind.
function applyLanguage(strings) {
    var given = strings ? strings : [];
    if (given.length > count)
        console.log("keyCode: " + given.length + " names given, " + count + " used");
    for (var i = 0; i < count; ++i) {
        var text = i < given.length && given[i] !== undefined && given[i] !== null
                ? String(given[i]) : "";
        entries[i].name = text.length > 0 ? text : defaultEntries[i].name;
    }
}

function resetNames() {
    applyLanguage([]);
}

function setUnknownText(text) {
    unknownText = String(text);
}

// The "keyCode" sections of the other shipped languages; a missing or short one simply
// adds fewer names.
function setOtherLanguages(sections) {
    otherTables = [];
    for (var t = 0; sections && t < sections.length; ++t) {
        var given = sections[t] ? sections[t] : [];
        var names = [];
        for (var i = 0; i < count && i < given.length; ++i)
            names.push(given[i] === undefined || given[i] === null ? "" : String(given[i]));
        otherTables.push(names);
    }
}
