.pragma library
.import "macro_record.js" as MacroRecord

// The names of the macro editor's list. Each name is also the name of the macro's file
// ("./modules/macro/" + name + ".bin"), so whether a name is usable is the native side's rule
// (ui_View.isUsableMacroName); the list holds at most maxMacros names, and new ones are called
// "Macro_" + a number.

var maxMacros = 100;
var newNamePrefix = "Macro_";
// The name file stores a list of one as that name followed by this one; it is never shown.
var sentinel = "loaderpivlan";

// The stored list as the editor shows it: a list of exactly two whose second name is the
// sentinel is a list of one.
function fromStored(list) {
    var names = MacroRecord.toArray(list);
    if (names.length === 2 && names[1] === sentinel)
        names.pop();
    return names;
}

// The name for a new macro: "Macro_" + the lowest k below 100 that no entry of names has and
// for which taken(name), when given, is false (a macro file of that name exists already).
// "" when the list is full or every such name is used.
function nextFree(names, taken) {
    if (names.length >= maxMacros)
        return "";
    for (var k = 0; k < maxMacros; ++k) {
        var name = newNamePrefix + k;
        if (names.indexOf(name) < 0 && !(taken && taken(name)))
            return name;
    }
    return "";
}

// A copy of names with name inserted at index (appended when index is outside the list).
function insertedAt(names, index, name) {
    var out = names.slice();
    var at = index >= 0 && index <= out.length ? index : out.length;
    out.splice(at, 0, name);
    return out;
}

function removedAt(names, index) {
    var out = names.slice();
    if (index >= 0 && index < out.length)
        out.splice(index, 1);
    return out;
}

function replacedAt(names, index, name) {
    var out = names.slice();
    if (index >= 0 && index < out.length)
        out[index] = name;
    return out;
}
