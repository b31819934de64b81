import QtQuick
import QtTest
import "../../modules/qml/js/slider_map.js" as SliderMap

// What the scene's sliders stand for: DPI stages both ways, the pointer and double-click
// steps, and wheel lines.
TestCase {
    name: "SliderMap"

    // The default range of the DPI page, and the shipped configuration's.
    function test_dpiValue_data() {
        return [
            { tag: "first position is min", p: 3, min: 200, max: 6000, base: 50, value: 200 },
            { tag: "last position is max", p: 161, min: 200, max: 6000, base: 50, value: 6000 },
            { tag: "one position up", p: 4, min: 200, max: 6000, base: 50, value: 200 },
            { tag: "two positions up", p: 5, min: 200, max: 6000, base: 50, value: 250 },
            { tag: "middle", p: 82, min: 200, max: 6000, base: 50, value: 3100 },
            { tag: "shipped: first", p: 3, min: 200, max: 12000, base: 100, value: 200 },
            { tag: "shipped: 11", p: 11, min: 200, max: 12000, base: 100, value: 700 },
            { tag: "shipped: 12", p: 12, min: 200, max: 12000, base: 100, value: 800 },
            { tag: "shipped: last", p: 161, min: 200, max: 12000, base: 100, value: 12000 },
            { tag: "max not on the base is cut down", p: 161, min: 100, max: 6050, base: 100, value: 6000 },
            { tag: "below the travel", p: 0, min: 200, max: 6000, base: 50, value: 200 },
            { tag: "beyond the travel", p: 400, min: 200, max: 6000, base: 50, value: 6000 },
        ]
    }
    function test_dpiValue(row) {
        compare(SliderMap.dpiValue(row.p, row.min, row.max, row.base), row.value)
    }

    function test_dpiPosition_data() {
        return [
            { tag: "min", v: 200, min: 200, max: 6000, p: 3 },
            { tag: "max", v: 6000, min: 200, max: 6000, p: 161 },
            { tag: "half way", v: 3100, min: 200, max: 6000, p: 82 },
            { tag: "rounds to the nearest", v: 800, min: 200, max: 12000, p: 11 },
            { tag: "below min", v: 50, min: 200, max: 6000, p: 3 },
            { tag: "above max", v: 16000, min: 200, max: 12000, p: 161 },
            { tag: "empty range", v: 800, min: 800, max: 800, p: 3 },
        ]
    }
    function test_dpiPosition(row) {
        compare(SliderMap.dpiPosition(row.v, row.min, row.max), row.p)
    }

    // Values rise with the position, and a value placed back lands its handle within one
    // position of where it was picked (the value itself is kept as it is).
    function test_dpiBothWays() {
        var ranges = [[200, 6000, 50], [200, 12000, 100], [100, 16000, 50]]
        for (var r = 0; r < ranges.length; ++r) {
            var min = ranges[r][0], max = ranges[r][1], base = ranges[r][2]
            var previous = 0
            for (var p = SliderMap.dpiFirst; p <= SliderMap.dpiLast; ++p) {
                var v = SliderMap.dpiValue(p, min, max, base)
                verify(v % base === 0 && v >= min && v <= max, "value of " + p)
                verify(v >= previous, "rises at " + p)
                previous = v
                var back = SliderMap.dpiPosition(v, min, max)
                verify(Math.abs(back - p) <= 1, v + " placed at " + back + ", picked at " + p)
            }
        }
    }

    function test_systemStep_data() {
        var rows = [[3, 0], [4, 1], [36, 1], [37, 2], [69, 2], [70, 3], [103, 3], [104, 4],
                    [137, 4], [138, 5], [171, 5], [172, 6], [204, 6], [205, 7], [238, 7],
                    [239, 8], [271, 8], [272, 9], [304, 9], [305, 10], [337, 10]]
        return rows.map(function (r) { return { tag: String(r[0]), p: r[0], step: r[1] } })
    }
    function test_systemStep(row) {
        compare(SliderMap.systemStep(row.p), row.step)
    }

    function test_scrollLines_data() {
        return [
            { tag: "one", rate: 1, lines: 1, screen: false },
            { tag: "three", rate: 3, lines: 3, screen: false },
            { tag: "hundred", rate: 100, lines: 100, screen: false },
            { tag: "above a hundred is a screen", rate: 101, lines: 1000, screen: true },
            { tag: "one screen", rate: 1000, lines: 1000, screen: true },
            { tag: "zero is one line", rate: 0, lines: 1, screen: false },
            { tag: "text", rate: "7", lines: 7, screen: false },
        ]
    }
    function test_scrollLines(row) {
        compare(SliderMap.scrollLines(row.rate), row.lines)
        compare(SliderMap.isOneScreen(row.rate), row.screen)
    }
}
