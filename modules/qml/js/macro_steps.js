.pragma library
.import "key_names.js" as KeyNames
.import "macro_record.js" as MacroRecord

// The macro editor's work on a list of steps (texts type + "," + info, see macro_record.js):
// how a step is shown, where inserted steps go, and the steps a recording adds. Every
// function returns a new list and leaves the one it was given as it was.

var pressMark = "\u2193";    // a key going down
var releaseMark = "\u2191";  // and up again
var insertedDelayMs = 50;
var maxDelayMs = 65535;
// Recorded pauses are counted in ticks of this many milliseconds.
var tickMs = 10;

// What a step is: "delay", "key", "button", or "" for a text that is none of them.
function kindOf(step) {
    switch (MacroRecord.stepType(step)) {
    case MacroRecord.StepType.Delay:
        return "delay";
    case MacroRecord.StepType.KeyPress:
    case MacroRecord.StepType.KeyRelease:
        return "key";
    case MacroRecord.StepType.ButtonPress:
    case MacroRecord.StepType.ButtonRelease:
        return "button";
    }
    return "";
}

// The step as the editor shows it: "120 ms" (milliseconds, when given, writes the number
// with the language's unit), "↓ A" for a press, "↑ A" for a release. A key
// is shown by its label on the keyboard layout in use, else its name in the language in use,
// whichever language recorded it; a name that no language has is shown as stored, marked
// "(unknown key)".
function displayText(step, milliseconds) {
    var type = MacroRecord.stepType(step);
    var info = MacroRecord.stepInfo(step);
    if (type === MacroRecord.StepType.Delay)
        return milliseconds ? milliseconds(info.trim()) : info.trim() + " ms";
    if (MacroRecord.isAction(type)) {
        var code = KeyNames.codeOf(info);
        var name = code !== 0 ? KeyNames.labelOf(code) : info + " (" + KeyNames.unknownText + ")";
        return (MacroRecord.isRelease(type) ? releaseMark : pressMark) + " " + name;
    }
    return String(step);
}

// The milliseconds of a delay step, as text to edit; null for any other step.
function delayEditText(step) {
    if (MacroRecord.stepType(step) !== MacroRecord.StepType.Delay)
        return null;
    return MacroRecord.stepInfo(step).trim();
}

// Typed milliseconds: a whole number 0 … 65535, or -1 for anything else.
function parseDelay(text) {
    var t = String(text).trim();
    if (!/^[0-9]+$/.test(t))
        return -1;
    var ms = Number(t);
    return ms <= maxDelayMs ? ms : -1;
}

function delayStep(ms) {
    return MacroRecord.stepText(MacroRecord.StepType.Delay, ms);
}

// The press and the release of a key or mouse button, press first; [] for a code without a
// name in the key-name table.
function pairOf(code) {
    var name = KeyNames.nameOf(code);
    if (name === "")
        return [];
    var button = KeyNames.isMouseButton(code);
    return [MacroRecord.stepText(button ? MacroRecord.StepType.ButtonPress
                                        : MacroRecord.StepType.KeyPress, name),
            MacroRecord.stepText(button ? MacroRecord.StepType.ButtonRelease
                                        : MacroRecord.StepType.KeyRelease, name)];
}

// Where an inserted key goes among count steps: at the end when the last step (or none) is
// selected, otherwise at the selected step, which moves down.
function keyInsertPosition(count, selected) {
    return selected < 0 || selected >= count - 1 ? count : selected;
}

// Where an inserted mouse button goes: at the end when the last step (or none) is selected,
// otherwise right after the selected step.
function buttonInsertPosition(count, selected) {
    return selected < 0 || selected >= count - 1 ? count : selected + 1;
}

// Where an inserted delay goes: before the selected step; at the end when none is selected.
function delayInsertPosition(count, selected) {
    return selected < 0 || selected >= count ? count : selected;
}

function inserted(steps, at, added) {
    var list = MacroRecord.toArray(steps);
    return list.slice(0, at).concat(MacroRecord.toArray(added), list.slice(at));
}

function removed(steps, index) {
    var list = MacroRecord.toArray(steps);
    if (index >= 0 && index < list.length)
        list.splice(index, 1);
    return list;
}

function replaced(steps, index, step) {
    var list = MacroRecord.toArray(steps);
    if (index >= 0 && index < list.length)
        list[index] = String(step);
    return list;
}

// Whether step may replace the step at index: the macro stays within the editor's limit, or
// at least grows no larger.
function canReplace(steps, index, step) {
    var next = replaced(steps, index, step);
    var size = MacroRecord.encodedSize(next);
    return size <= MacroRecord.sizeLimit || size <= MacroRecord.encodedSize(steps);
}

// Whole ticks between two clock readings in milliseconds.
function ticksBetween(fromMs, toMs) {
    return Math.max(0, Math.floor((toMs - fromMs) / tickMs));
}

// The steps after one key or button transition while recording: a delay of the ticks since
// the previous event (only between events, only when withDelay, none for 0 ms), then the
// press or release. Codes from 0xF0 on are mouse buttons. null when the transition is not
// taken: a code without a name, or a macro at (or pushed past) the size limit.
function recorded(steps, isDown, code, ticks, withDelay) {
    var name = KeyNames.nameOf(code);
    if (name === "")
        return null;
    var list = MacroRecord.toArray(steps);
    var added = [];
    if (withDelay && list.length > 0 && ticks > 0)
        added.push(delayStep(ticks * tickMs));
    var button = KeyNames.isMouseButton(code);
    var type = isDown ? (button ? MacroRecord.StepType.ButtonPress : MacroRecord.StepType.KeyPress)
                      : (button ? MacroRecord.StepType.ButtonRelease
                                : MacroRecord.StepType.KeyRelease);
    added.push(MacroRecord.stepText(type, name));
    if (!MacroRecord.canAddSteps(list, added))
        return null;
    return list.concat(added);
}

// Whether a mouse button transition belongs in a recording. A press counts only away from the
// editor's own window area (onEditor false), a release only when the press of that button is in
// the recording (held maps the codes of such presses to true).
function takesButton(held, isDown, code, onEditor) {
    return isDown ? !onEditor : held[code] === true;
}
