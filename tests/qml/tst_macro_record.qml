import QtQuick
import QtTest
import "../../modules/qml/js/key_names.js" as KeyNames
import "../../modules/qml/js/macro_record.js" as MacroRecord

// Macro steps to the 128-byte record the device plays, and the editor's size measure.
TestCase {
    name: "MacroRecord"

    function cleanup() {
        KeyNames.resetNames()
    }

    function hex(bytes) {
        var out = []
        for (var i = 0; i < bytes.length; ++i)
            out.push((bytes[i] < 16 ? "0" : "") + bytes[i].toString(16).toUpperCase())
        return out.join(" ")
    }

    // The expected record: these bytes, then zeros up to 128.
    function padded(text) {
        var bytes = text.split(" ").map(function (b) { return parseInt(b, 16) })
        while (bytes.length < 128)
            bytes.push(0)
        return hex(bytes)
    }

    // count steps, alternately a press and a release of A.
    function pressesAndReleases(count) {
        var steps = []
        for (var i = 0; i < count; ++i)
            steps.push(i % 2 === 0 ? "1,A" : "2,A")
        return steps
    }

    function test_encode_data() {
        return [
            { tag: "press, 50 ms, release",
              steps: ["1,A", "0,50", "2,A"], repeat: 1, record: "00 01 05 04 81 04 00 00" },
            { tag: "no delay between actions gives pause 1",
              steps: ["1,A", "1,B", "2,B", "2,A"], repeat: 1,
              record: "00 01 01 04 01 05 81 05 81 04 00 00" },
            { tag: "1260 ms is control 126",
              steps: ["1,A", "0,1260", "2,A"], repeat: 1, record: "00 01 7E 04 81 04 00 00" },
            { tag: "1270 ms is a long pause of 63 x 20 ms",
              steps: ["1,A", "0,1270", "2,A"], repeat: 1,
              record: "00 01 00 04 00 01 00 3F 81 04 00 00" },
            { tag: "long pause after a release keeps bit 7",
              steps: ["2,A", "0,1270", "1,B"], repeat: 1,
              record: "00 01 80 04 00 01 00 3F 01 05 00 00" },
            { tag: "999990 ms: last of the 20 ms unit",
              steps: ["1,A", "0,999990", "2,A"], repeat: 1,
              record: "00 01 00 04 00 01 C3 4F 81 04 00 00" },
            { tag: "1000 s: 50 ms unit",
              steps: ["1,A", "0,1000000", "2,A"], repeat: 1,
              record: "00 01 00 04 00 02 4E 20 81 04 00 00" },
            { tag: "1500 s: 30000 x 50 ms",
              steps: ["1,A", "0,1500000", "2,A"], repeat: 1,
              record: "00 01 00 04 00 02 75 30 81 04 00 00" },
            { tag: "4000 s: 100 ms unit",
              steps: ["1,A", "0,4000000", "2,A"], repeat: 1,
              record: "00 01 00 04 00 03 9C 40 81 04 00 00" },
            { tag: "7000 s: the longest count of the 100 ms unit",
              steps: ["1,A", "0,7000000", "2,A"], repeat: 1,
              record: "00 01 00 04 00 03 FF FF 81 04 00 00" },
            { tag: "delays add up",
              steps: ["1,A", "0,30", "0,40", "2,A"], repeat: 1, record: "00 01 07 04 81 04 00 00" },
            { tag: "delays off the 10 ms grid add up in ms",
              steps: ["1,A", "0,15", "0,15", "2,A"], repeat: 1, record: "00 01 03 04 81 04 00 00" },
            { tag: "leading delays change nothing",
              steps: ["0,500", "0,20", "1,A", "0,50", "2,A"], repeat: 1,
              record: "00 01 05 04 81 04 00 00" },
            { tag: "trailing delays change nothing",
              steps: ["1,A", "0,50", "2,A", "0,3000"], repeat: 1,
              record: "00 01 05 04 81 04 00 00" },
            { tag: "repeat 300",
              steps: ["1,A", "0,50", "2,A"], repeat: 300, record: "01 2C 05 04 81 04 00 00" },
            { tag: "repeat 65535",
              steps: ["1,A"], repeat: 65535, record: "FF FF 01 04 00 00" },
            { tag: "repeat above 65535 is 65535",
              steps: ["1,A"], repeat: 70000, record: "FF FF 01 04 00 00" },
            { tag: "repeat 0",
              steps: ["1,A", "0,50", "2,A"], repeat: 0, record: "00 00 05 04 81 04 00 00" },
            { tag: "repeat 0 as text", steps: ["1,A"], repeat: "0", record: "00 00 01 04 00 00" },
            { tag: "repeat 256", steps: ["1,A"], repeat: 256, record: "01 00 01 04 00 00" },
            { tag: "negative repeat is 1",
              steps: ["1,A"], repeat: -3, record: "00 01 01 04 00 00" },
            { tag: "repeat as text", steps: ["1,A"], repeat: "258", record: "01 02 01 04 00 00" },
            { tag: "repeat that is no number is 1",
              steps: ["1,A"], repeat: "many", record: "00 01 01 04 00 00" },
            { tag: "mouse buttons",
              steps: ["3,MS-L", "0,30", "4,MS-L", "3,MS-R", "4,MS-R", "3,MS-M", "4,MS-M",
                      "3,MS-B4", "4,MS-B4", "3,MS-B5", "4,MS-B5"], repeat: 1,
              record: "00 01 03 F0 81 F0 01 F1 81 F1 01 F2 81 F2 01 F3 81 F3 01 F4 81 F4 00 00" },
            { tag: "unknown key name is code 0",
              steps: ["1,Hyper", "0,20", "2,Hyper"], repeat: 1, record: "00 01 02 00 81 00 00 00" },
            { tag: "key named by a comma",
              steps: ["1,,", "2,,"], repeat: 1, record: "00 01 01 36 81 36 00 00" },
            { tag: "arrows and backslash",
              steps: ["1,\u25B2", "2,\u25B2", "1,\\", "2,\\"], repeat: 1,
              record: "00 01 01 52 81 52 01 31 81 31 00 00" },
            { tag: "delay that is no number counts 0",
              steps: ["1,A", "0,soon", "0,-50", "2,A"], repeat: 1,
              record: "00 01 01 04 81 04 00 00" },
            { tag: "step of unknown type is skipped",
              steps: ["1,A", "9,zz", "", "2,A"], repeat: 1, record: "00 01 01 04 81 04 00 00" },
            { tag: "single key step",
              steps: ["1,A"], repeat: 1, record: "00 01 01 04 00 00" },
            { tag: "only delays: the repeat count alone",
              steps: ["0,50", "0,100"], repeat: 2, record: "00 02" },
            { tag: "no steps", steps: [], repeat: 1, record: "00 01" }
        ]
    }

    function test_encode(data) {
        var record = MacroRecord.encode(data.steps, data.repeat)
        compare(record.length, 128)
        compare(hex(record), padded(data.record))
    }

    // A macro that does not fit (a file edited by hand) keeps the entries that fit, with the
    // end bytes at the very end.
    function test_encodeTooLong() {
        var steps = []
        for (var i = 0; i < 70; ++i)
            steps.push("1,A")
        var record = MacroRecord.encode(steps, 1)
        compare(record.length, 128)
        var expected = ["00 01"]
        for (var k = 0; k < 62; ++k)
            expected.push("01 04")
        expected.push("00 00")
        compare(hex(record), expected.join(" "))

        // A long pause that just fits: 128 bytes, the end bytes last.
        steps = pressesAndReleases(60)
        steps.splice(59, 0, "0,5000")
        compare(MacroRecord.encodedSize(steps), 128)
        compare(hex(MacroRecord.encode(steps, 1).slice(116)),
                "81 04 00 04 00 01 00 FA 81 04 00 00")

        // One that does not: the last key step goes, and the pause before it with it.
        steps = pressesAndReleases(61)
        steps.splice(60, 0, "0,5000")
        compare(MacroRecord.encodedSize(steps), 130)
        record = MacroRecord.encode(steps, 1)
        compare(hex(record.slice(116)), "81 04 01 04 81 04 00 00 00 00 00 00")
    }

    // Names from a language file reach the encoder: both share one key-name table.
    function test_languageNames() {
        KeyNames.applyLanguage(["Ah", "Be"])
        compare(hex(MacroRecord.encode(["1,Ah", "2,Be", "1,A"], 1)),
                padded("00 01 01 04 81 05 01 00 00 00"))
    }

    function test_encodedSize_data() {
        return [
            { tag: "no steps", steps: [], size: 2 },
            { tag: "only delays", steps: ["0,50"], size: 2 },
            { tag: "one key", steps: ["1,A"], size: 6 },
            { tag: "press, delay, release", steps: ["1,A", "0,50", "2,A"], size: 8 },
            { tag: "long pause adds 4", steps: ["1,A", "0,1270", "2,A"], size: 12 },
            { tag: "long pause at the end is not encoded", steps: ["1,A", "0,5000"], size: 6 },
            { tag: "unknown key still counts", steps: ["1,Hyper", "2,Hyper"], size: 8 },
            { tag: "60 actions", steps: pressesAndReleases(60), size: 124 }
        ]
    }

    function test_encodedSize(data) {
        compare(MacroRecord.encodedSize(data.steps), data.size)
        var record = MacroRecord.encode(data.steps, 1)
        for (var i = data.size; i < 128; ++i)
            compare(record[i], 0, "byte " + i)
    }

    function test_canAddSteps_data() {
        return [
            { tag: "up to 126", actions: 60, added: ["2,A"], at: undefined, allowed: true },
            { tag: "at 126 nothing more", actions: 61, added: ["0,50"], at: undefined,
              allowed: false },
            { tag: "a long pause that would pass 126", actions: 60, added: ["0,2000", "1,B"],
              at: undefined, allowed: false },
            { tag: "a long pause that reaches 126", actions: 58, added: ["0,2000", "1,B"],
              at: undefined, allowed: true },
            { tag: "a delay inserted inside becomes a long pause", actions: 60,
              added: ["0,2000"], at: 1, allowed: false },
            { tag: "a short delay inserted inside", actions: 60, added: ["0,50"], at: 1,
              allowed: true },
            { tag: "a pair inserted at the start", actions: 58, added: ["1,B", "2,B"], at: 0,
              allowed: true },
            { tag: "a pair that would pass", actions: 60, added: ["1,B", "2,B"], at: 0,
              allowed: false },
            { tag: "an empty macro", actions: 0, added: ["1,A", "2,A"], at: undefined,
              allowed: true }
        ]
    }

    function test_canAddSteps(data) {
        var steps = pressesAndReleases(data.actions)
        compare(MacroRecord.canAddSteps(steps, data.added, data.at), data.allowed)
    }

    function test_stepTexts() {
        compare(MacroRecord.stepText(MacroRecord.StepType.KeyPress, "A"), "1,A")
        compare(MacroRecord.stepText(MacroRecord.StepType.Delay, 50), "0,50")
        compare(MacroRecord.stepType("4,MS-L"), MacroRecord.StepType.ButtonRelease)
        compare(MacroRecord.stepType("x,A"), -1)
        compare(MacroRecord.stepInfo("1,,"), ",")

        var stored = MacroRecord.splitStored(["1,A", "0,50", "2,A", "3"])
        compare(stored.steps, ["1,A", "0,50", "2,A"])
        compare(stored.repeat, 3)
        // A file without a count: loadMacroIni gives "0", kept as 0.
        compare(MacroRecord.splitStored(["1,A", "0"]).repeat, 0)
        compare(MacroRecord.splitStored([]).repeat, 1)
        compare(MacroRecord.splitStored(["1"]).steps.length, 0)
    }
}
