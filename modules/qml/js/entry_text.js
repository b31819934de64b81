.pragma library
.import "key_names.js" as KeyNames

// Key entries as the scene edits them: four numbers (kind, value1, value2, value3) per button
// position, the choices the button page offers with the exact entry each one sets, and the
// text an entry is shown by. The text is rebuilt from the values, so stored entries show the
// same words as freshly chosen ones; the words themselves are the button page's labels (60
// texts, replaced by the language file), indexed as below.

var Kind = {
    Mouse: 0, Fire: 1, Combination: 2, Media: 3, Macro: 4, Dpi: 5, Windows: 6, Shortcut: 7,
    Gun: 8, Device: 0xFF
};

var positions = 16;
var leftClick = 0xF0;
var firstModifier = 0xE0;
var modifierCount = 8;

// The button page's texts as built in.
var defaultLabels = [
    "Key ", "Mouse Function", "Left Key", "Middle Key", "Right Key", "Forward Key", "Back Key",
    "Double Fire", "Fire Function", "Key Value", "Click Input", "Rate", "Times", "Endness",
    "Group Function", "Media Function", "Macro Function", "Macro Editor",
    "Macro runs one-time after pressing the button",
    "Macro runs endless loop until any button is pressed",
    "Macro runs endless loop until button is released",
    "DPI Function", "DPI+", "DPI-", "DPI LOOP", "Windows Function", "Shortcut Function",
    "Player", "Next", "Privous", "Stop", "Mute", "Play/Pause", "Volumn+", "Volumn-",
    "My PC", "Index", "Search", "Max", "Min", "Desktop", "Run",
    "New", "Cut", "Copy", "Paste", "Save", "Print", "Find", "Redo", "Undo", "Select All",
    "Gun Function", "One Gun", "Two Gun", "Three Gun", "Sniper Key", "Confirm", "Cancel", ""
];

// Label indices the page uses besides its choices.
var Label = {
    Title: 0, KeyValue: 9, ClickInput: 10, Rate: 11, Times: 12, Endless: 13, Combination: 14,
    MacroEditor: 17, MacroModes: [18, 19, 20], Confirm: 57, Cancel: 58
};

function choice(label, entry) {
    return { label: label, entry: entry };
}

// The sections of the page in display order, each with its kind, its label and its fixed
// choices. Fire keys, combinations and macros are made on the page, not picked from a list.
// The gun section exists for entries that come from stored profiles; the page does not show it.
var sections = [
    { kind: Kind.Mouse, label: 1, choices: [
        choice(2, [0x00, 0x00, 0xF0, 0x00]),
        choice(3, [0x00, 0x00, 0xF2, 0x00]),
        choice(4, [0x00, 0x00, 0xF1, 0x00]),
        choice(5, [0x00, 0x00, 0xF4, 0x00]),
        choice(6, [0x00, 0x00, 0xF3, 0x00]),
        choice(7, [0x00, 0xF0, 0x1E, 0x02])] },
    { kind: Kind.Fire, label: 8, choices: [] },
    { kind: Kind.Combination, label: 14, choices: [] },
    // Consumer usages, low byte then high byte.
    { kind: Kind.Media, label: 15, choices: [
        choice(27, [0x03, 0x00, 0x83, 0x01]),
        choice(28, [0x03, 0x00, 0xB5, 0x00]),
        choice(29, [0x03, 0x00, 0xB6, 0x00]),
        choice(30, [0x03, 0x00, 0xB7, 0x00]),
        choice(31, [0x03, 0x00, 0xE2, 0x00]),
        choice(32, [0x03, 0x00, 0xCD, 0x00]),
        choice(33, [0x03, 0x00, 0xE9, 0x00]),
        choice(34, [0x03, 0x00, 0xEA, 0x00])] },
    { kind: Kind.Macro, label: 16, choices: [] },
    { kind: Kind.Dpi, label: 21, choices: [
        choice(22, [0x05, 0x00, 0x01, 0x00]),
        choice(23, [0x05, 0x00, 0x02, 0x00]),
        choice(24, [0x05, 0x00, 0x03, 0x00]),
        choice(56, [0x05, 0x00, 0x04, 0x00])] },
    { kind: Kind.Windows, label: 25, choices: [
        choice(35, [0x06, 0x00, 0x94, 0x01]),
        choice(36, [0x06, 0x00, 0x23, 0x02]),
        choice(37, [0x06, 0x00, 0x21, 0x02]),
        choice(38, [0x06, 0x04, 0x2C, 0x1B]),
        choice(39, [0x06, 0x04, 0x2C, 0x11]),
        choice(40, [0x06, 0x00, 0xE3, 0x07]),
        choice(41, [0x06, 0x00, 0xE3, 0x15])] },
    // Left Ctrl with a key: New, Cut, Copy, Paste, Save, Print, Find, Redo, Undo, Select All.
    { kind: Kind.Shortcut, label: 26, choices: [
        choice(42, [0x07, 0x00, 0xE0, 0x11]),
        choice(43, [0x07, 0x00, 0xE0, 0x1B]),
        choice(44, [0x07, 0x00, 0xE0, 0x06]),
        choice(45, [0x07, 0x00, 0xE0, 0x19]),
        choice(46, [0x07, 0x00, 0xE0, 0x16]),
        choice(47, [0x07, 0x00, 0xE0, 0x13]),
        choice(48, [0x07, 0x00, 0xE0, 0x09]),
        choice(49, [0x07, 0x00, 0xE0, 0x1C]),
        choice(50, [0x07, 0x00, 0xE0, 0x1D]),
        choice(51, [0x07, 0x00, 0xE0, 0x04])] },
    { kind: Kind.Gun, label: 52, hidden: true, choices: [
        choice(53, [0x08, 0x00, 0x01, 0x00]),
        choice(54, [0x08, 0x00, 0x02, 0x00]),
        choice(55, [0x08, 0x00, 0x03, 0x00])] }
];

// What the scene shows for each position until the stored entries are read: the mouse
// buttons, DPI up and down, double click, nothing, and the device's own two functions.
var builtIn = [
    [0, 0, 0xF0, 0], [0, 0, 0xF1, 0], [0, 0, 0xF2, 0], [0, 0, 0xF4, 0], [0, 0, 0xF3, 0],
    [5, 0, 1, 0], [5, 0, 2, 0], [0, 0xF0, 0x1E, 2],
    [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0], [0, 0, 0, 0],
    [0xFF, 0, 1, 0], [0xFF, 0, 2, 0]
];

function builtInEntry(position) {
    return builtIn[position].slice();
}

function sectionOfKind(kind) {
    for (var i = 0; i < sections.length; ++i) {
        if (sections[i].kind === kind)
            return sections[i];
    }
    return null;
}

function label(labels, index) {
    var text = labels && index < labels.length ? labels[index] : undefined;
    return text === undefined || text === null ? "" : String(text);
}

// The entry of a stored list: four whole numbers 0 … 255; null for anything else (a
// missing key gives an empty list).
function parseEntry(list) {
    if (!list || list.length !== 4)
        return null;
    var entry = [];
    for (var i = 0; i < 4; ++i) {
        var text = String(list[i]).trim();
        var n = Number(text);
        if (text === "" || !Number.isInteger(n) || n < 0 || n > 255)
            return null;
        entry.push(n);
    }
    return entry;
}

function sameEntry(a, b) {
    if (!a || !b || a.length !== b.length)
        return false;
    for (var i = 0; i < a.length; ++i) {
        if (Number(a[i]) !== Number(b[i]))
            return false;
    }
    return true;
}

// The entry that holds nothing; the key matrix list shows it by its own word.
function isEmpty(entry) {
    return sameEntry(entry, [0, 0, 0, 0]);
}

// The names of the modifiers set in bits (left Ctrl … right GUI), then of the keys that are
// not 0, joined by separator.
function combinationText(bits, first, second, separator) {
    var names = [];
    for (var bit = 0; bit < modifierCount; ++bit) {
        if (bits & (1 << bit))
            names.push(KeyNames.labelOf(firstModifier + bit));
    }
    if (first !== 0)
        names.push(KeyNames.labelOf(first));
    if (second !== 0)
        names.push(KeyNames.labelOf(second));
    return names.join(separator);
}

// The label of the fixed choice of kind whose values match by test; "" when none does.
function matchingLabel(kind, labels, test) {
    var section = sectionOfKind(kind);
    for (var i = 0; section && i < section.choices.length; ++i) {
        if (test(section.choices[i].entry))
            return label(labels, section.choices[i].label);
    }
    return "";
}

// The text of an entry; macroName is what "mouseMacroKey/" + value2 holds for a macro.
function entryText(entry, labels, macroName) {
    if (!entry || entry.length < 4)
        return "";
    var kind = Number(entry[0]);
    var v1 = Number(entry[1]);
    var v2 = Number(entry[2]);
    var v3 = Number(entry[3]);
    switch (kind) {
    case Kind.Mouse: {
        // The five buttons by their code; anything else is the double click.
        var text = matchingLabel(kind, labels, function (e) { return e[1] === 0 && e[2] === v2; });
        return text !== "" ? text : label(labels, 7);
    }
    case Kind.Fire:
        return KeyNames.labelOf(v1);
    case Kind.Combination:
        return combinationText(v1, v2, v3, "+");
    case Kind.Media:
    case Kind.Windows:
        return matchingLabel(kind, labels, function (e) { return e[2] === v2 && e[3] === v3; });
    case Kind.Shortcut:
        return shortcutText(labels, v2, v3);
    case Kind.Macro:
        return macroName === undefined || macroName === null ? "" : String(macroName);
    case Kind.Dpi:
    case Kind.Gun:
        return matchingLabel(kind, labels, function (e) { return e[2] === v2; });
    default:
        return "";
    }
}

// A shortcut's letter: the one its key types on a US board, where the choices are written.
function letterOfUsCode(code) {
    return String.fromCharCode(0x61 + Number(code) - 0x04);
}

// The entry a shortcut choice sends on the layout in use: Ctrl with the key that types its
// letter there (Ctrl+A is the key marked A on an AZERTY board too). A layout without Latin
// letters keeps the US key, which the desktop reads as the Latin shortcut.
function shortcutEntry(entry) {
    var e = entry.slice();
    if (Number(e[0]) === Kind.Shortcut)
        e[3] = KeyNames.letterCode(letterOfUsCode(e[3]), Number(e[3]));
    return e;
}

// A shortcut as it works on the layout in use: the choice whose letter its key types here;
// a key that types none of them shows as the keys it sends.
function shortcutText(labels, modifier, key) {
    var text = matchingLabel(Kind.Shortcut, labels, function (e) {
        return e[2] === modifier && shortcutEntry(e)[3] === key;
    });
    return text !== "" ? text : KeyNames.labelOf(modifier) + "+" + KeyNames.labelOf(key);
}

// The fixed choice (its label index) an entry is, -1 when it is none of them. Shortcuts are
// the choices as the layout in use sends them.
function choiceOf(entry) {
    var section = entry ? sectionOfKind(Number(entry[0])) : null;
    for (var i = 0; section && i < section.choices.length; ++i) {
        var choice = section.kind === Kind.Shortcut ? shortcutEntry(section.choices[i].entry)
                                                     : section.choices[i].entry;
        if (sameEntry(choice, entry))
            return section.choices[i].label;
    }
    return -1;
}

function isLeftClick(entry) {
    return !!entry && Number(entry[0]) === Kind.Mouse && Number(entry[2]) === leftClick;
}

// Whether the button at position is the only one of the matrix that holds the left click:
// that one keeps it, so the mouse can always click.
function holdsOnlyLeftClick(entries, position) {
    var count = 0;
    for (var i = 0; i < entries.length; ++i) {
        if (isLeftClick(entries[i]))
            ++count;
    }
    return count === 1 && isLeftClick(entries[position]);
}

// The 64 values of a matrix, entry i at 4i … 4i + 3.
function flatten(entries) {
    var values = [];
    for (var i = 0; i < entries.length; ++i)
        values = values.concat(entries[i]);
    return values;
}
