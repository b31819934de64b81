.pragma library

// The gun table of the recoil compensation as the gun page keeps it: six guns, each with a
// name, the button that fires, the firing period in ms, the horizontal and vertical cursor
// correction and the shot count (0 = endless), all kept as the texts the gun file holds;
// and the gun each of the three gun slots uses.

var defaultNames = ["M416", "AKM", "M16A4", "SCAR-L", "UNP9", "Thomson"];
var defaults = { key: "L-Click", period: "10", x: "0", y: "10", times: "0" };
var fireButtons = ["L-Click", "R-Click", "M-Click"];
var slotCount = 3;
var maxAxis = 64;
var maxTimes = 255;

// What Reset gives: guns 0, 1, 2 in the slots, their vertical correction and period.
var resetChoice = [0, 1, 2];
var resetY = [5, 7, 8];
var resetPeriod = 9;

var fields = ["name", "key", "period", "x", "y", "times"];

function gun(name, key, period, x, y, times) {
    return { name: name, key: key, period: period, x: x, y: y, times: times };
}

function defaultGuns() {
    return defaultNames.map(function (name) {
        return gun(name, defaults.key, defaults.period, defaults.x, defaults.y, defaults.times);
    });
}

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}

// A gun from its stored list (name, fire button, period, x, y, shots). Missing elements are
// empty; the name stays the list's own name when the file names none.
function fromStored(stored, name) {
    var list = stored ? stored : [];
    var g = gun(name, "", "", "", "", "");
    for (var i = 0; i < fields.length && i < list.length; ++i)
        g[fields[i]] = text(list[i]);
    if (g.name.trim() === "")
        g.name = name;
    return g;
}

function toStored(g) {
    return fields.map(function (field) { return text(g[field]); });
}

function copy(g) {
    return gun(g.name, g.key, g.period, g.x, g.y, g.times);
}

// A whole number from a stored text; fallback for an empty or non-numeric one.
function number(value, fallback) {
    var t = text(value).trim();
    var n = Number(t);
    return t !== "" && Number.isInteger(n) ? n : fallback;
}

// What a gun slot sends: shot count, horizontal, vertical; an empty value counts as 0.
function sendValues(g) {
    return [number(g.times, 0), number(g.x, 0), number(g.y, 0)];
}

// The firing period handed to the key matrix; the default one where the gun has none.
function period(g) {
    return number(g.period, Number(defaults.period));
}

// The slots' guns from the stored "mouse/selectGun": three table positions, or null when the
// stored value is not that.
function parseChoice(stored, count) {
    if (!stored || typeof stored === "string" || stored.length !== slotCount)
        return null;
    var choice = [];
    for (var i = 0; i < slotCount; ++i) {
        var n = number(stored[i], -1);
        if (n < 0 || n >= count)
            return null;
        choice.push(n);
    }
    return choice;
}

// Whether index may take the name: not empty, and no gun of the list has it yet.
function canRename(names, index, name) {
    var wanted = text(name);
    if (wanted.trim() === "" || index < 0 || index >= names.length)
        return false;
    return names.indexOf(wanted) < 0;
}

// The guns after Reset: guns 0, 1, 2 with their factory vertical correction and period.
function afterReset(guns) {
    var out = guns.map(copy);
    for (var i = 0; i < resetY.length && i < out.length; ++i) {
        out[i].y = String(resetY[i]);
        out[i].period = String(resetPeriod);
    }
    return out;
}
