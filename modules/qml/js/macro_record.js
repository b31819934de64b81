.pragma library
.import "key_names.js" as KeyNames

// The macro record the device plays by itself, built from the steps of a macro.
//
// Steps are the texts the macro files hold: type + "," + info, the type one digit:
//   0 delay               info: milliseconds
//   1 key press           info: display name of a keyboard key
//   2 key release         info: display name of a keyboard key
//   3 mouse button press  info: display name of a mouse button
//   4 mouse button release
// The macro editor keeps its steps in this form (stepText builds one), so what it shows, what
// it saves and what it sends are the same list.
//
// Record (128 bytes): repeat count (high byte, low byte); one entry per key or button step:
// control byte (bit 7 set for a release, bits 0-6 the pause after it in 10 ms units, 1 … 126,
// or 0 when a long pause follows) and the key code; a long pause is two more entries, the
// unit (00 01 = 20 ms, 00 02 = 50 ms, 00 03 = 100 ms) and the count (high byte first). The
// last entry carries the pause 1 and is followed by the end bytes 00 00; zeros up to 128.

var recordSize = 128;
// The editor takes no step that would bring the encoded size past this.
var sizeLimit = 126;
var maxRepeat = 0xFFFF;

var StepType = { Delay: 0, KeyPress: 1, KeyRelease: 2, ButtonPress: 3, ButtonRelease: 4 };

// Pauses up to this many 10 ms ticks fit in the control byte.
var maxShortPause = 126;
var releaseBit = 0x80;
// Long pauses: below this many ticks, this unit code, ticks per unit. Longer pauses take the
// last unit with the largest count the record holds (6553.5 s).
var longPauseUnits = [
    { below: 100000, unit: 1, ticks: 2 },
    { below: 300000, unit: 2, ticks: 5 },
    { below: 600000, unit: 3, ticks: 10 }
];
var maxCount = 0xFFFF;

function stepText(type, info) {
    return String(type) + "," + String(info);
}

// The type of a step text; -1 when the first character is not one of 0 … 4.
function stepType(text) {
    var first = String(text).charAt(0);
    return first >= "0" && first <= "4" ? Number(first) : -1;
}

// Everything from the third character on (a key named "," keeps its name).
function stepInfo(text) {
    return String(text).substring(2);
}

function isAction(type) {
    return type >= StepType.KeyPress && type <= StepType.ButtonRelease;
}

function isRelease(type) {
    return type === StepType.KeyRelease || type === StepType.ButtonRelease;
}

// A copy as a plain array (the list may come from C++ as a string list).
function toArray(list) {
    var out = [];
    if (!list)
        return out;
    for (var i = 0; i < list.length; ++i)
        out.push(String(list[i]));
    return out;
}

// What loadMacroIni gives back: the steps followed by the repeat count.
function splitStored(list) {
    var all = toArray(list);
    if (all.length === 0)
        return { steps: [], repeat: 1 };
    return { steps: all.slice(0, all.length - 1), repeat: repeatCount(all[all.length - 1]) };
}

// The repeat count as the record holds it: a whole number 0 … 65535 (0 is what a macro file
// without a count gives, and goes to the device as 00 00). Larger counts are capped rather
// than cut to their low 16 bits, which would turn 70000 into 4464.
function repeatCount(repeat) {
    var n = Math.floor(Number(repeat));
    if (isNaN(n) || n < 0) {
        console.log("macro: repeat count \"" + repeat + "\" is not 0 … " + maxRepeat + "; 1 used");
        return 1;
    }
    if (n > maxRepeat) {
        console.log("macro: repeat count " + repeat + " is above " + maxRepeat + "; " + maxRepeat
                    + " used");
        return maxRepeat;
    }
    return n;
}

// Milliseconds of a delay step; text that is no number, or a negative one, counts as 0.
function delayMs(text, report) {
    var ms = Number(stepInfo(text).trim());
    if (isFinite(ms) && ms >= 0)
        return ms;
    if (report)
        console.log("macro: step \"" + text + "\" has no usable delay; 0 ms used");
    return 0;
}

function actionCode(text, report) {
    var name = stepInfo(text);
    var code = KeyNames.codeOf(name);
    if (code === 0 && report)
        console.log("macro: step \"" + text + "\" names no known key; sent as code 0");
    return code;
}

// The key and button steps with the pause after each, in 10 ms ticks. Delays before the first
// of them and after the last are not part of the record. Delays add up in milliseconds, so
// steps that are not multiples of 10 ms lose only the remainder of their sum.
function actionsOf(steps, report) {
    var actions = [];
    var ms = 0;
    for (var i = 0; i < steps.length; ++i) {
        var type = stepType(steps[i]);
        if (type === StepType.Delay) {
            ms += delayMs(steps[i], report);
        } else if (isAction(type)) {
            if (actions.length > 0)
                actions[actions.length - 1].ticks = Math.floor(ms / 10);
            actions.push({ code: actionCode(steps[i], report), release: isRelease(type), ticks: 0 });
            ms = 0;
        } else if (report) {
            console.log("macro: step \"" + steps[i] + "\" is not a delay, key or button; skipped");
        }
    }
    return actions;
}

function longPause(ticks) {
    for (var i = 0; i < longPauseUnits.length; ++i) {
        if (ticks < longPauseUnits[i].below) {
            var count = Math.floor(ticks / longPauseUnits[i].ticks);
            return [0x00, longPauseUnits[i].unit, count >> 8, count & 0xFF];
        }
    }
    var last = longPauseUnits[longPauseUnits.length - 1];
    var longest = Math.min(Math.floor(ticks / last.ticks), maxCount);
    return [0x00, last.unit, longest >> 8, longest & 0xFF];
}

// One action entry with the pause that follows it (and its long-pause entries).
function entryOf(action, ticks) {
    var flag = action.release ? releaseBit : 0;
    if (ticks > maxShortPause)
        return [flag, action.code].concat(longPause(ticks));
    return [flag | Math.max(ticks, 1), action.code];
}

// The entries and end bytes of these actions (no repeat count); empty without actions.
function layout(actions) {
    var out = [];
    for (var i = 0; i < actions.length; ++i) {
        var last = i === actions.length - 1;
        out = out.concat(entryOf(actions[i], last ? 1 : actions[i].ticks));
    }
    return actions.length > 0 ? out.concat([0x00, 0x00]) : out;
}

// The encoded size of a macro: 2 for the repeat count, 2 per key or button step, 4 more per
// long pause, 2 for the end bytes.
function encodedSize(steps) {
    return 2 + layout(actionsOf(toArray(steps), false)).length;
}

// Whether the editor may insert these steps at position (default: the end). Refused once the
// macro has reached the limit, and when the result would pass it (a step that brings a long
// pause can add six bytes at once).
function canAddSteps(steps, added, position) {
    var current = toArray(steps);
    if (encodedSize(current) >= sizeLimit)
        return false;
    var at = position === undefined ? current.length : Math.max(0, Math.min(position, current.length));
    var next = current.slice(0, at).concat(toArray(added), current.slice(at));
    return encodedSize(next) <= sizeLimit;
}

// The 128-byte record as an array of numbers. A macro that does not fit (only a file edited
// by hand can hold one) keeps the actions that fit, still closed with the end bytes.
function encode(steps, repeat) {
    var actions = actionsOf(toArray(steps), true);
    var body = layout(actions);
    var kept = actions.length;
    while (2 + body.length > recordSize) {
        --kept;
        body = layout(actions.slice(0, kept));
    }
    if (kept < actions.length)
        console.log("macro: " + (actions.length - kept) + " of " + actions.length
                    + " key steps do not fit in the record; left out");
    var count = repeatCount(repeat);
    var record = [count >> 8, count & 0xFF].concat(body);
    while (record.length < recordSize)
        record.push(0);
    return record;
}
