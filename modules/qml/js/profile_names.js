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
