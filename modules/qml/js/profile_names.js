.pragma library

// The stored profile list: one text per entry, the display name followed by the profile
// number as one digit ("Standard0", "profile_13"). The list may carry the padding name
// the name file adds to a list of one.

var sentinel = "loaderpivlan";
var maxEntries = 6;
var maxNumber = 5;

// Drops the padding name when it is the second of exactly two names.
function withoutSentinel(list) {
    var names = [];
    for (var i = 0; list && i < list.length; ++i)
        names.push(String(list[i]));
    if (names.length === 2 && names[1] === sentinel)
        names.pop();
    return names;
}

// The entries { name, number } of a stored list; texts whose last character is not a
// profile number 0 … 5 are left out (with a line on the console), as are repeated numbers.
function parse(list) {
    var entries = [];
    var seen = {};
    var texts = withoutSentinel(list);
    for (var i = 0; i < texts.length; ++i) {
        var text = texts[i];
        var digit = text.charAt(text.length - 1);
        var number = digit >= "0" && digit <= String(maxNumber) ? Number(digit) : -1;
        if (text.length < 2 || number < 0 || seen[number]) {
            console.log("profile list: entry \"" + text + "\" has no usable profile number; left out");
            continue;
        }
        seen[number] = true;
        entries.push({ name: text.substring(0, text.length - 1), number: number });
    }
    return entries;
}

// The stored form of entries.
function format(entries) {
    return entries.map(function (entry) { return entry.name + String(entry.number); });
}

function names(entries) {
    return entries.map(function (entry) { return entry.name; });
}

// Index of the entry for profile number, -1 when none.
function indexOfNumber(entries, number) {
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].number === number)
            return i;
    }
    return -1;
}

var newNamePrefix = "profile_";
var newNameLimit = 12;  // new entries are named profile_0 … profile_11

function hasName(entries, name) {
    for (var i = 0; i < entries.length; ++i) {
        if (entries[i].name === name)
            return true;
    }
    return false;
}

// The entry a new profile gets while the list has room: "profile_" + the lowest k below 12
// no entry is named after, and the lowest profile number no entry has and that is not in
// use; null when the list is full.
function newEntry(entries, inUse) {
    if (entries.length >= maxEntries)
        return null;
    var name = "";
    for (var k = 0; k < newNameLimit && name === ""; ++k) {
        if (!hasName(entries, newNamePrefix + k))
            name = newNamePrefix + k;
    }
    for (var number = 0; number <= maxNumber; ++number) {
        if (number !== inUse && indexOfNumber(entries, number) < 0 && name !== "")
            return { name: name, number: number };
    }
    return null;
}

// Whether the entry at index may leave the list: never the first one, never the one of the
// profile in use.
function canDelete(entries, index, inUse) {
    return index > 0 && index < entries.length && entries[index].number !== inUse;
}

// A name an entry may take: not empty, and no control characters (a name is printed on a
// terminal by the command line and stored one per line).
function isValidName(name) {
    var text = String(name);
    return text.length > 0 && !/[\u0000-\u001f\u007f-\u009f]/.test(text);
}

// Whether name may replace the name of the entry at index: a valid name and not the name of
// any entry.
function canRename(entries, index, name) {
    return index >= 0 && index < entries.length && isValidName(name)
        && !hasName(entries, String(name));
}
