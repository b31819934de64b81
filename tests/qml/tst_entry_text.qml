import QtQuick
import QtTest
import "../../modules/qml/js/entry_text.js" as EntryText
import "../../modules/qml/js/key_names.js" as KeyNames

// Key entries: the text each one is shown by, the fixed choices of the button page, stored
// entries read back, and the rule that keeps one left-click button.
TestCase {
    name: "EntryText"

    function cleanup() {
        KeyNames.resetNames()
    }

    function test_text_data() {
        return [
            { tag: "left button", entry: [0, 0, 0xF0, 0], text: "Left Key" },
            { tag: "right button", entry: [0, 0, 0xF1, 0], text: "Right Key" },
            { tag: "middle button", entry: [0, 0, 0xF2, 0], text: "Middle Key" },
            { tag: "back button", entry: [0, 0, 0xF3, 0], text: "Back Key" },
            { tag: "forward button", entry: [0, 0, 0xF4, 0], text: "Forward Key" },
            { tag: "double click", entry: [0, 0xF0, 0x1E, 2], text: "Double Fire" },
            { tag: "any other mouse code is the double click", entry: [0, 0, 0x10, 0],
              text: "Double Fire" },
            { tag: "a button code with value1 set", entry: [0, 7, 0xF1, 3], text: "Right Key" },
            { tag: "fire key", entry: [1, 0x04, 10, 0], text: "A" },
            { tag: "fire key on an arrow", entry: [1, 0x52, 20, 5], text: "\u25B2" },
            { tag: "fire key of no known key", entry: [1, 0x80, 10, 0], text: "" },
            { tag: "combination", entry: [2, 0x03, 0x16, 0], text: "LCtrl+LShift+S" },
            { tag: "modifiers in bit order", entry: [2, 0x81, 0x04, 0x05], text: "LCtrl+RWin+A+B" },
            { tag: "second key alone", entry: [2, 0x40, 0, 0x28], text: "RAlt+Enter" },
            { tag: "keys without modifiers", entry: [2, 0, 0x3A, 0x3B], text: "F1+F2" },
            { tag: "empty combination", entry: [2, 0, 0, 0], text: "" },
            { tag: "media: player", entry: [3, 0, 0x83, 0x01], text: "Player" },
            { tag: "media: volume down", entry: [3, 0, 0xEA, 0], text: "Volumn-" },
            { tag: "media: high byte differs", entry: [3, 0, 0x83, 0], text: "" },
            { tag: "macro", entry: [4, 1, 5, 0], macro: "Reload", text: "Reload" },
            { tag: "macro without a stored name", entry: [4, 0, 2, 0], macro: undefined, text: "" },
            { tag: "DPI up", entry: [5, 0, 1, 0], text: "DPI+" },
            { tag: "DPI cycle", entry: [5, 0, 3, 0], text: "DPI LOOP" },
            { tag: "sniper", entry: [5, 0, 4, 0], text: "Sniper Key" },
            { tag: "DPI function the page does not offer", entry: [5, 0, 9, 0], text: "" },
            { tag: "Windows: my PC", entry: [6, 0, 0x94, 0x01], text: "My PC" },
            { tag: "Windows: maximise", entry: [6, 4, 0x2C, 0x1B], text: "Max" },
            { tag: "Windows: minimise", entry: [6, 4, 0x2C, 0x11], text: "Min" },
            { tag: "Windows: value1 is not compared", entry: [6, 0, 0x2C, 0x1B], text: "Max" },
            { tag: "shortcut: save", entry: [7, 0, 0xE0, 0x16], text: "Save" },
            { tag: "shortcut: select all", entry: [7, 0, 0xE0, 0x04], text: "Select All" },
            // One made for another layout, say: the keys it sends.
            { tag: "shortcut the page does not offer", entry: [7, 0, 0xE0, 0x05], text: "LCtrl+B" },
            { tag: "gun button", entry: [8, 0, 2, 0], text: "Two Gun" },
            { tag: "device function", entry: [0xFF, 0, 1, 0], text: "" },
            { tag: "unknown kind", entry: [9, 1, 2, 3], text: "" },
            { tag: "short entry", entry: [0, 0], text: "" }
        ]
    }

    function test_text(data) {
        compare(EntryText.entryText(data.entry, EntryText.defaultLabels, data.macro), data.text)
    }

    // The words come from the labels given (the language file's), by index.
    function test_textInAnotherLanguage() {
        var labels = EntryText.defaultLabels.map(function (t, i) { return "L" + i })
        compare(EntryText.entryText([0, 0, 0xF2, 0], labels), "L3")
        compare(EntryText.entryText([3, 0, 0xE2, 0], labels), "L31")
        compare(EntryText.entryText([5, 0, 4, 0], labels), "L56")
        compare(EntryText.entryText([8, 0, 3, 0], labels), "L55")
        KeyNames.applyLanguage(["\u6309A"])
        compare(EntryText.entryText([1, 0x04, 10, 0], labels), "\u6309A")
        compare(EntryText.entryText([2, 0x01, 0x04, 0], labels), "LCtrl+\u6309A")
        // A short label list gives empty words, not "undefined".
        compare(EntryText.entryText([0, 0, 0xF0, 0], ["Key "]), "")
    }

    // Each fixed choice of the page reads back as its own label, and no two choices of a
    // section set the same entry or share a label.
    function test_choicesReadBackAsTheirLabels() {
        var seenLabels = {}
        var total = 0
        for (var s = 0; s < EntryText.sections.length; ++s) {
            var section = EntryText.sections[s]
            var seenEntries = {}
            for (var c = 0; c < section.choices.length; ++c) {
                var choice = section.choices[c]
                compare(choice.entry[0], section.kind, EntryText.defaultLabels[choice.label])
                compare(EntryText.entryText(choice.entry, EntryText.defaultLabels),
                        EntryText.defaultLabels[choice.label])
                compare(EntryText.choiceOf(choice.entry), choice.label)
                verify(!seenEntries[choice.entry.join(",")], choice.entry.join(","))
                seenEntries[choice.entry.join(",")] = true
                verify(!seenLabels[choice.label], "label " + choice.label)
                seenLabels[choice.label] = true
                ++total
            }
        }
        compare(total, 6 + 8 + 4 + 7 + 10 + 3)
        compare(EntryText.choiceOf([1, 4, 10, 0]), -1)
        compare(EntryText.choiceOf([5, 0, 9, 0]), -1)
    }

    function test_parseEntry_data() {
        return [
            { tag: "stored texts", list: ["0", "0", "240", "0"], entry: [0, 0, 240, 0] },
            { tag: "numbers", list: [255, 0, 1, 0], entry: [255, 0, 1, 0] },
            { tag: "blanks around", list: [" 5", "0 ", "2", "0"], entry: [5, 0, 2, 0] },
            { tag: "missing key", list: [], entry: null },
            { tag: "three values", list: ["1", "2", "3"], entry: null },
            { tag: "five values", list: ["1", "2", "3", "4", "5"], entry: null },
            { tag: "not a number", list: ["0", "x", "240", "0"], entry: null },
            { tag: "empty value", list: ["0", "", "240", "0"], entry: null },
            { tag: "above a byte", list: ["0", "0", "256", "0"], entry: null },
            { tag: "negative", list: ["0", "-1", "240", "0"], entry: null },
            { tag: "fraction", list: ["0", "1.5", "240", "0"], entry: null }
        ]
    }

    function test_parseEntry(data) {
        compare(EntryText.parseEntry(data.list), data.entry)
    }

    function test_onlyLeftClick() {
        var built = EntryText.builtIn.map(function (e) { return e.slice() })
        verify(EntryText.holdsOnlyLeftClick(built, 0))
        verify(!EntryText.holdsOnlyLeftClick(built, 1))
        // value1 and value3 do not matter; the double click is no left click.
        built[0] = [0, 5, 0xF0, 9]
        verify(EntryText.holdsOnlyLeftClick(built, 0))
        built[7] = [0, 0xF0, 0x1E, 2]
        verify(EntryText.holdsOnlyLeftClick(built, 0))
        // A second left click, on any of the 16 positions, frees both.
        built[12] = [0, 0, 0xF0, 0]
        verify(!EntryText.holdsOnlyLeftClick(built, 0))
        verify(!EntryText.holdsOnlyLeftClick(built, 12))
        // No left click at all: nothing to keep.
        built[0] = [5, 0, 1, 0]
        built[12] = [0, 0, 0, 0]
        verify(!EntryText.holdsOnlyLeftClick(built, 0))
    }

    function test_flattenAndBuiltIn() {
        compare(EntryText.defaultLabels.length, 60)
        var values = EntryText.flatten(EntryText.builtIn)
        compare(values.length, 64)
        compare(values.slice(0, 8), [0, 0, 0xF0, 0, 0, 0, 0xF1, 0])
        compare(values.slice(28, 32), [0, 0xF0, 0x1E, 2])
        compare(values.slice(56), [0xFF, 0, 1, 0, 0xFF, 0, 2, 0])
        // A copy of a built-in entry does not change the table.
        var copy = EntryText.builtInEntry(0)
        copy[2] = 0
        compare(EntryText.builtIn[0], [0, 0, 0xF0, 0])
    }
}
