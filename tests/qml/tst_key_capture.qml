import QtQuick
import QtTest
import "../../modules/qml/js/key_capture.js" as KeyCapture

// The combination collector and the fire key's rate text.
TestCase {
    name: "KeyCapture"

    function collectAll(codes) {
        var c = KeyCapture.emptyCollector()
        for (var i = 0; i < codes.length; ++i)
            c = KeyCapture.collect(c, codes[i])
        return c
    }

    function test_collect_data() {
        return [
            { tag: "Ctrl, Shift, S", codes: [0xE0, 0xE1, 0x16],
              entry: [2, 0x03, 0x16, 0], text: "LCtrl + LShift + S" },
            { tag: "a third key is ignored", codes: [0xE0, 0x04, 0x05, 0x06],
              entry: [2, 0x01, 0x04, 0x05], text: "LCtrl + A + B" },
            { tag: "modifiers after the keys still count", codes: [0x04, 0x05, 0xE6, 0xE7],
              entry: [2, 0xC0, 0x04, 0x05], text: "A + B + RAlt + RWin" },
            { tag: "every modifier", codes: [0xE7, 0xE6, 0xE5, 0xE4, 0xE3, 0xE2, 0xE1, 0xE0],
              entry: [2, 0xFF, 0, 0], text: "RWin + RAlt + RShift + RCtrl + LWin + LAlt + LShift + LCtrl" },
            { tag: "a modifier pressed twice is named once", codes: [0xE0, 0xE0, 0x16],
              entry: [2, 0x01, 0x16, 0], text: "LCtrl + S" },
            { tag: "a key pressed twice is taken once", codes: [0x16, 0x16, 0x17],
              entry: [2, 0, 0x16, 0x17], text: "S + T" },
            { tag: "one key", codes: [0x28], entry: [2, 0, 0x28, 0], text: "Enter" },
            { tag: "codes outside a byte are ignored", codes: [0, 0x100, 0x04],
              entry: [2, 0, 0x04, 0], text: "A" }
        ]
    }

    function test_collect(data) {
        var c = collectAll(data.codes)
        compare(KeyCapture.entryOf(c), data.entry)
        compare(c.text, data.text)
        verify(!KeyCapture.isEmpty(c))
    }

    function test_collectorsAreNotChanged() {
        var empty = KeyCapture.emptyCollector()
        verify(KeyCapture.isEmpty(empty))
        compare(KeyCapture.entryOf(empty), [2, 0, 0, 0])
        var one = KeyCapture.collect(empty, 0xE0)
        verify(KeyCapture.isEmpty(empty))
        compare(empty.text, "")
        var two = KeyCapture.collect(one, 0x04)
        compare(one.count, 0)
        compare(two.count, 1)
        // Modifiers alone are something to confirm.
        verify(!KeyCapture.isEmpty(one))
    }

    function test_rate_data() {
        return [
            { tag: "first position", position: 3, rate: 4 },
            { tag: "position 9 is the default 10", position: 9, rate: 10 },
            { tag: "position 19", position: 19, rate: 20 },
            { tag: "last position", position: 89, rate: 90 }
        ]
    }

    function test_rate(data) {
        compare(KeyCapture.rateAt(data.position), data.rate)
        compare(KeyCapture.ratePosition(data.rate), data.position)
    }

    function test_ratePosition() {
        // Stored rates outside the slider stop the handle at an end.
        compare(KeyCapture.ratePosition(2), 3)
        compare(KeyCapture.ratePosition(200), 89)
        compare(KeyCapture.ratePosition("x"), 9)
    }
}
