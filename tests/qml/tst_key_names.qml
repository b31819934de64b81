import QtQuick
import QtTest
import "../../modules/qml/js/key_names.js" as KeyNames

// The scene's key-name table: its entries, both lookups, and names from a language file.
TestCase {
    name: "KeyNames"

    function cleanup() {
        KeyNames.resetNames()
    }

    function test_table() {
        var codes = KeyNames.codes()
        compare(KeyNames.count, 133)
        compare(codes.length, 133)
        for (var i = 1; i < codes.length; ++i)
            verify(codes[i] > codes[i - 1], "ascending at " + i)
        compare(codes[0], 0x04)
        compare(codes[132], 0xF4)
        compare(KeyNames.names().slice(0, 3), ["A", "B", "C"])
        compare(KeyNames.names().slice(128), ["MS-L", "MS-R", "MS-M", "MS-B4", "MS-B5"])
    }

    function test_codeOf_data() {
        return [
            { tag: "first letter", name: "A", code: 0x04 },
            { tag: "digit 0", name: "0", code: 0x27 },
            { tag: "backslash: the first of 0x31 and 0x32", name: "\\", code: 0x31 },
            { tag: "comma", name: ",", code: 0x36 },
            { tag: "right arrow", name: "\u25BA", code: 0x4F },
            { tag: "left arrow", name: "\u25C4", code: 0x50 },
            { tag: "down arrow", name: "\u25BC", code: 0x51 },
            { tag: "up arrow", name: "\u25B2", code: 0x52 },
            { tag: "keypad equals", name: "KP=", code: 0x67 },
            { tag: "keypad comma", name: "Keypad", code: 0x85 },
            { tag: "Lang2", name: "Lang2", code: 0x91 },
            { tag: "right Windows key", name: "RWin", code: 0xE7 },
            { tag: "left button", name: "MS-L", code: 0xF0 },
            { tag: "button 5", name: "MS-B5", code: 0xF4 },
            { tag: "unknown name", name: "Hyper", code: 0 },
            { tag: "case matters", name: "a", code: 0 },
            { tag: "empty name", name: "", code: 0 }
        ]
    }

    function test_codeOf(data) {
        compare(KeyNames.codeOf(data.name), data.code)
    }

    function test_nameOf_data() {
        return [
            { tag: "A", code: 0x04, name: "A" },
            { tag: "0x31", code: 0x31, name: "\\" },
            { tag: "0x32 shares the name", code: 0x32, name: "\\" },
            { tag: "right arrow", code: 0x4F, name: "\u25BA" },
            { tag: "button 4", code: 0xF3, name: "MS-B4" },
            { tag: "no entry 0x00", code: 0x00, name: "" },
            { tag: "no entry 0x86", code: 0x86, name: "" },
            { tag: "no entry 0xF5", code: 0xF5, name: "" }
        ]
    }

    function test_nameOf(data) {
        compare(KeyNames.nameOf(data.code), data.name)
    }

    function test_applyLanguage_data() {
        return [
            { tag: "fewer names keep the rest",
              given: ["Ah", "Be"],
              lookups: [["Ah", 0x04], ["Be", 0x05], ["A", 0], ["C", 0x06], ["MS-L", 0xF0]],
              names: [[0x04, "Ah"], [0x06, "C"]] },
            { tag: "an empty name keeps the default",
              given: ["", "Be"],
              lookups: [["A", 0x04], ["Be", 0x05], ["", 0]],
              names: [[0x04, "A"], [0x05, "Be"]] },
            { tag: "duplicate names: the first entry",
              given: ["X", "X"],
              lookups: [["X", 0x04]],
              names: [[0x05, "X"]] },
            { tag: "no list",
              given: undefined,
              lookups: [["A", 0x04]],
              names: [[0xF4, "MS-B5"]] }
        ]
    }

    function test_applyLanguage(data) {
        KeyNames.applyLanguage(data.given)
        for (var i = 0; i < data.lookups.length; ++i)
            compare(KeyNames.codeOf(data.lookups[i][0]), data.lookups[i][1], data.lookups[i][0])
        for (var j = 0; j < data.names.length; ++j)
            compare(KeyNames.nameOf(data.names[j][0]), data.names[j][1])
    }

    function test_wholeLanguage() {
        var names = []
        for (var i = 0; i < 140; ++i)
            names.push("k" + i)
        KeyNames.applyLanguage(names)
        compare(KeyNames.nameOf(0x04), "k0")
        compare(KeyNames.nameOf(0xF4), "k132")
        compare(KeyNames.codeOf("k133"), 0)
        compare(KeyNames.codeOf("MS-B5"), 0)

        // The next language starts from the defaults, not from these names.
        KeyNames.applyLanguage(["Ah"])
        compare(KeyNames.nameOf(0x05), "B")
        compare(KeyNames.codeOf("k1"), 0)
        KeyNames.resetNames()
        compare(KeyNames.nameOf(0x04), "A")
    }
}
