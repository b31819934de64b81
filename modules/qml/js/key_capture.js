.pragma library
.import "key_names.js" as KeyNames

// What the button page makes of keys pressed on the desktop: the combination collector
// (modifiers as bits, at most two other keys) and the repeat rate of a fire key.

var firstModifier = 0xE0;
var lastModifier = 0xE7;
var maxKeys = 2;
var separator = " + ";

// Enter, Space and keypad Enter: the keys that work a focused control.
var activationCodes = [0x28, 0x2C, 0x58];

function emptyCollector() {
    return { kind: 2, modifiers: 0, first: 0, second: 0, count: 0, text: "" };
}

function isModifier(code) {
    return code >= firstModifier && code <= lastModifier;
}

function withName(text, code) {
    var name = KeyNames.labelOf(code);
    return text === "" ? name : text + separator + name;
}

// The collector after one more key press (the given one stays as it was). A modifier sets
// its bit; any other key is taken while fewer than two are. A modifier already set and a key
// already taken change nothing: the entry could not hold them twice.
function collect(collector, code) {
    var c = {
        kind: collector.kind, modifiers: collector.modifiers, first: collector.first,
        second: collector.second, count: collector.count, text: collector.text
    };
    if (code <= 0 || code > 0xFF)
        return c;
    if (isModifier(code)) {
        var bit = 1 << (code - firstModifier);
        if (c.modifiers & bit)
            return c;
        c.modifiers |= bit;
    } else {
        if (c.count >= maxKeys || code === c.first || code === c.second)
            return c;
        if (c.count === 0)
            c.first = code;
        else
            c.second = code;
        c.count += 1;
    }
    c.text = withName(c.text, code);
    return c;
}

function isEmpty(collector) {
    return collector.modifiers === 0 && collector.count === 0;
}

function entryOf(collector) {
    return [collector.kind, collector.modifiers, collector.first, collector.second];
}

// Fire rate: a drop-down slider whose positions 3 … 89 stand for 4 … 90 ms; 10 ms until the
// slider moves.
var rateFirst = 3;
var rateLast = 89;
var defaultRate = 10;

function rateAt(position) {
    return Math.round(Number(position)) + 1;
}

// Where the slider stands for a rate (the nearest end for a rate outside 4 … 90).
function ratePosition(rate) {
    var p = Math.round(Number(rate)) - 1;
    if (!isFinite(p))
        return defaultRate - 1;
    return Math.max(rateFirst, Math.min(rateLast, p));
}

