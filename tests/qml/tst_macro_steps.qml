import QtQuick
import QtTest
import "../../modules/qml/js/key_names.js" as KeyNames
import "../../modules/qml/js/macro_record.js" as MacroRecord
import "../../modules/qml/js/macro_steps.js" as MacroSteps

// The macro editor's step work: what a step shows, where inserted steps go, and what a
// recording adds.
TestCase {
    name: "MacroSteps"

    function cleanup() {
        KeyNames.resetNames()
    }

    // count steps, alternately a press and a release of A.
    function pressesAndReleases(count) {
        var steps = []
        for (var i = 0; i < count; ++i)
            steps.push(i % 2 === 0 ? "1,A" : "2,A")
        return steps
    }

    function test_displayText_data() {
        return [
            { tag: "delay", step: "0,120", shown: "120 ms", kind: "delay", edit: "120" },
            { tag: "key press", step: "1,A", shown: "\u2193 A", kind: "key", edit: null },
            { tag: "key release", step: "2,LCtrl", shown: "\u2191 LCtrl", kind: "key", edit: null },
            { tag: "a key named comma", step: "1,,", shown: "\u2193 ,", kind: "key", edit: null },
            { tag: "button press", step: "3,MS-L", shown: "\u2193 MS-L", kind: "button", edit: null },
            { tag: "button release", step: "4,MS-R", shown: "\u2191 MS-R", kind: "button", edit: null },
            { tag: "not a step", step: "9,x", shown: "9,x", kind: "", edit: null }
        ]
    }

    function test_displayText(data) {
        compare(MacroSteps.displayText(data.step), data.shown)
        compare(MacroSteps.kindOf(data.step), data.kind)
        compare(MacroSteps.delayEditText(data.step), data.edit)
    }

    function test_parseDelay_data() {
        return [
            { tag: "zero", text: "0", ms: 0 },
            { tag: "blanks around", text: " 250 ", ms: 250 },
            { tag: "largest", text: "65535", ms: 65535 },
            { tag: "too large", text: "65536", ms: -1 },
            { tag: "negative", text: "-5", ms: -1 },
            { tag: "fraction", text: "1.5", ms: -1 },
            { tag: "exponent", text: "1e3", ms: -1 },
            { tag: "empty", text: "", ms: -1 },
            { tag: "words", text: "ten", ms: -1 }
        ]
    }

    function test_parseDelay(data) {
        compare(MacroSteps.parseDelay(data.text), data.ms)
    }

    function test_pairOf() {
        compare(MacroSteps.pairOf(0x04), ["1,A", "2,A"])
        compare(MacroSteps.pairOf(0xE0), ["1,LCtrl", "2,LCtrl"])
        compare(MacroSteps.pairOf(0xF0), ["3,MS-L", "4,MS-L"])
        compare(MacroSteps.pairOf(0xF2), ["3,MS-M", "4,MS-M"])
        compare(MacroSteps.pairOf(0xF1), ["3,MS-R", "4,MS-R"])
        compare(MacroSteps.pairOf(0x01), [], "a code without a name")
        KeyNames.applyLanguage(["甲"])
        compare(MacroSteps.pairOf(0x04), ["1,甲", "2,甲"], "names of the language in use")
    }

    function test_insertPositions_data() {
        return [
            { tag: "nothing selected", count: 4, selected: -1, key: 4, button: 4, delay: 4 },
            { tag: "first selected", count: 4, selected: 0, key: 0, button: 1, delay: 0 },
            { tag: "middle selected", count: 4, selected: 2, key: 2, button: 3, delay: 2 },
            { tag: "last selected", count: 4, selected: 3, key: 4, button: 4, delay: 3 },
            { tag: "empty macro", count: 0, selected: -1, key: 0, button: 0, delay: 0 },
            { tag: "only step selected", count: 1, selected: 0, key: 1, button: 1, delay: 0 }
        ]
    }

    function test_insertPositions(data) {
        compare(MacroSteps.keyInsertPosition(data.count, data.selected), data.key)
        compare(MacroSteps.buttonInsertPosition(data.count, data.selected), data.button)
        compare(MacroSteps.delayInsertPosition(data.count, data.selected), data.delay)
    }

    function test_canReplace() {
        var steps = ["1,A", "0,50", "2,A"]
        verify(MacroSteps.canReplace(steps, 1, "0,65535"))
        // 61 actions fill 126 bytes; a delay that brings a long pause would pass it.
        var full = pressesAndReleases(61)
        full.splice(1, 0, "0,50")
        compare(MacroRecord.encodedSize(full), 126)
        verify(MacroSteps.canReplace(full, 1, "0,1260"), "still a short pause")
        verify(!MacroSteps.canReplace(full, 1, "0,1270"), "a long pause adds four bytes")
        // A macro past the limit (written by hand) may still shrink.
        var over = pressesAndReleases(61)
        over.splice(1, 0, "0,5000")
        compare(MacroRecord.encodedSize(over), 130)
        verify(MacroSteps.canReplace(over, 1, "0,20"))
        verify(MacroSteps.canReplace(over, 1, "0,6000"), "no larger than before")
    }

    function test_recorded_data() {
        return [
            { tag: "first event: no delay before it", steps: [], down: true, code: 0x04,
              ticks: 30, delay: true, result: ["1,A"] },
            { tag: "without Delay: no delay step", steps: ["1,A"], down: false, code: 0x04,
              ticks: 12, delay: false, result: ["1,A", "2,A"] },
            { tag: "with Delay: ticks x 10 ms before the step", steps: ["1,A"], down: false,
              code: 0x04, ticks: 12, delay: true, result: ["1,A", "0,120", "2,A"] },
            { tag: "with Delay, no tick passed: no delay step", steps: ["1,A"], down: true,
              code: 0x05, ticks: 0, delay: true, result: ["1,A", "1,B"] },
            { tag: "left button from 0xF0 on", steps: [], down: true, code: 0xF0, ticks: 0,
              delay: false, result: ["3,MS-L"] },
            { tag: "right button release", steps: ["3,MS-R"], down: false, code: 0xF1, ticks: 3,
              delay: true, result: ["3,MS-R", "0,30", "4,MS-R"] },
            { tag: "below 0xF0 is a key", steps: [], down: true, code: 0xE7, ticks: 0,
              delay: false, result: ["1,RWin"] },
            { tag: "code without a name", steps: ["1,A"], down: true, code: 0x01, ticks: 5,
              delay: true, result: null }
        ]
    }

    function test_recorded(data) {
        compare(MacroSteps.recorded(data.steps, data.down, data.code, data.ticks, data.delay),
                data.result)
    }

    function test_recordingStopsAtTheLimit() {
        var steps = []
        var taken = 0
        for (var i = 0; i < 80; ++i) {
            var next = MacroSteps.recorded(steps, i % 2 === 0, 0x04, 0, false)
            if (next !== null) {
                steps = next
                ++taken
            }
        }
        compare(taken, 61)
        compare(MacroRecord.encodedSize(steps), 126)
        // The record of a full macro still ends with the pause 1 and the end bytes.
        var record = MacroRecord.encode(steps, 1)
        compare(record.length, 128)
        compare(record.slice(120, 128), [0x81, 0x04, 0x01, 0x04, 0x00, 0x00, 0x00, 0x00])
    }

    function test_recordingRefusesADelayThatPassesTheLimit() {
        var steps = pressesAndReleases(60)
        compare(MacroRecord.encodedSize(steps), 124)
        compare(MacroSteps.recorded(steps, true, 0x05, 200, true), null,
                "a 2 s pause needs four more bytes")
        compare(MacroSteps.recorded(steps, true, 0x05, 100, true), steps.concat(["0,1000", "1,B"]))
    }
}
