import QtQuick
import QtTest
import "../../modules/qml/js/macro_names.js" as MacroNames

// The macro editor's names: the stored list and new names.
TestCase {
    name: "MacroNames"

    function test_fromStored_data() {
        return [
            { tag: "a list of one is stored with the sentinel", stored: ["Fire", "loaderpivlan"],
              shown: ["Fire"] },
            { tag: "the sentinel second of three stays", stored: ["A", "loaderpivlan", "B"],
              shown: ["A", "loaderpivlan", "B"] },
            { tag: "the sentinel first stays", stored: ["loaderpivlan", "A"],
              shown: ["loaderpivlan", "A"] },
            { tag: "a sentinel alone stays", stored: ["loaderpivlan"], shown: ["loaderpivlan"] },
            { tag: "nothing stored", stored: [], shown: [] },
            { tag: "values become texts", stored: [7, "x"], shown: ["7", "x"] }
        ]
    }

    function test_fromStored(data) {
        compare(MacroNames.fromStored(data.stored), data.shown)
    }

    function test_nextFree() {
        compare(MacroNames.nextFree([]), "Macro_0")
        compare(MacroNames.nextFree(["Macro_0", "Macro_1", "Macro_3"]), "Macro_2")
        compare(MacroNames.nextFree(["Macro_0", "macro_1", "Macro_1 "]), "Macro_1")
        // A macro file of that name that the list does not hold is never taken over.
        compare(MacroNames.nextFree(["Macro_0"], function (name) { return name === "Macro_1" }),
                "Macro_2")
    }

    function test_nextFreeAtTheLimits() {
        var full = []
        for (var k = 0; k < 100; ++k)
            full.push("Macro_" + k)
        compare(MacroNames.nextFree(full), "")
        var other = []
        for (k = 0; k < 100; ++k)
            other.push("Mine " + k)
        compare(MacroNames.nextFree(other), "", "100 names of any kind fill the list")
        var ninetyNine = full.slice(0, 99)
        compare(MacroNames.nextFree(ninetyNine), "Macro_99")
        compare(MacroNames.nextFree(ninetyNine, function () { return true }), "",
                "no number below 100 left")
        full.splice(3, 1)
        compare(MacroNames.nextFree(full), "Macro_3")
    }
}
