import QtQuick
import QtTest
import "../../modules/qml/js/hue_bar.js" as Hue

// The hue bar both ways: the colour under the marker at every part boundary, where a colour
// puts the marker, and the colour texts.
TestCase {
    name: "HueBar"

    // W = 200: d = 33, six parts cover x 0 … 197, x 198 lies beyond them.
    function test_colourAt_data() {
        return [
            { tag: "left edge: red", x: 0, rgb: [255, 0, 0] },
            { tag: "end of the red-to-yellow run", x: 32, rgb: [255, 247, 0] },
            { tag: "d: yellow", x: 33, rgb: [255, 255, 0] },
            { tag: "inside the yellow-to-green run", x: 40, rgb: [201, 255, 0] },
            { tag: "2d: green", x: 66, rgb: [0, 255, 0] },
            { tag: "3d: cyan", x: 99, rgb: [0, 255, 255] },
            { tag: "4d: blue", x: 132, rgb: [0, 0, 255] },
            { tag: "5d: magenta", x: 165, rgb: [255, 0, 255] },
            { tag: "end of the magenta-to-red run", x: 197, rgb: [255, 0, 8] },
            { tag: "beyond, at W - 2: white", x: 198, rgb: [255, 255, 255] },
        ]
    }
    function test_colourAt(row) {
        compare(Hue.partWidth(200), 33)
        compare(Hue.colourAt(row.x, 200), row.rgb)
    }

    // W = 203: d = 33 but the parts end at x 197; x 198 … 200 lies beyond them, red up to
    // W - 3 and white after.
    function test_beyondTheParts() {
        compare(Hue.partWidth(203), 33)
        compare(Hue.colourAt(198, 203), [255, 0, 0])
        compare(Hue.colourAt(200, 203), [255, 0, 0])
        compare(Hue.colourAt(201, 203), [255, 255, 255])
    }

    function test_colourAtCentre() {
        compare(Hue.colourAtCentre(1, 200), [255, 0, 0])
        compare(Hue.colourAtCentre(34, 200), [255, 255, 0])
        compare(Hue.colourAtCentre(199, 200), [255, 255, 255])
    }

    // What a screen reader hears of the bar: the hue in degrees, both ways round.
    function test_degrees_data() {
        return [
            { tag: "red", centre: 1, deg: 0 },
            { tag: "yellow", centre: 34, deg: 60 },
            { tag: "cyan", centre: 100, deg: 180 },
            { tag: "magenta", centre: 166, deg: 300 },
            { tag: "last before red", centre: 1 + 359 * 33 / 60, deg: 359 },
        ]
    }
    function test_degrees(row) {
        compare(Hue.centreOfDegrees(row.deg, 200), row.centre)
        var c = Hue.colourAtCentre(Hue.centreOfDegrees(row.deg, 200), 200)
        compare(Hue.hueDegrees(c[0], c[1], c[2]), row.deg)
        compare(Hue.centreOfDegrees(row.deg + 360, 200), row.centre)
    }

    function test_clampCentre() {
        compare(Hue.clampCentre(-30, 200), 1)
        compare(Hue.clampCentre(1, 200), 1)
        compare(Hue.clampCentre(199, 200), 199)
        compare(Hue.clampCentre(250, 200), 199)
    }

    // p = 33 and u = 33 / 256 for W = 200.
    function test_markerCentre_data() {
        var p = 33
        var u = p / 256
        return [
            { tag: "red", rgb: [255, 0, 0], at: 0 },
            { tag: "orange", rgb: [255, 128, 0], at: u * 128 },
            { tag: "yellow: red-to-yellow rule first", rgb: [255, 255, 0], at: u * 255 },
            { tag: "green", rgb: [0, 255, 0], at: p + u * 255 },
            { tag: "lime", rgb: [100, 255, 0], at: p + u * 155 },
            { tag: "teal", rgb: [0, 255, 100], at: 2 * p + u * 100 },
            { tag: "cyan: rule 2 before rule 5", rgb: [0, 255, 255], at: 3 * p },
            { tag: "sky", rgb: [0, 100, 255], at: 3 * p + u * 155 },
            { tag: "blue", rgb: [0, 0, 255], at: 3 * p + u * 255 },
            { tag: "violet", rgb: [128, 0, 255], at: 4 * p + u * 128 },
            { tag: "magenta", rgb: [255, 0, 255], at: 4 * p + u * 255 },
            { tag: "pink", rgb: [255, 0, 100], at: 5 * p + u * 155 },
            { tag: "white at the right end", rgb: [255, 255, 255], at: 199 },
            { tag: "grey at the left end", rgb: [128, 128, 128], at: 0 },
            { tag: "black at the left end", rgb: [0, 0, 0], at: 0 },
        ]
    }
    function test_markerCentre(row) {
        fuzzyCompare(Hue.markerCentre(row.rgb[0], row.rgb[1], row.rgb[2], 200), row.at, 1e-9)
    }

    // A colour placed on the bar reads back as itself (or its neighbour a step away) at the
    // bar's part boundaries.
    function test_bothWays() {
        var pure = [[255, 0, 0], [255, 255, 0], [0, 255, 255], [0, 0, 255], [255, 0, 255]]
        for (var i = 0; i < pure.length; ++i) {
            var c = pure[i]
            var centre = Math.round(Hue.markerCentre(c[0], c[1], c[2], 200))
            var back = Hue.colourAtCentre(Math.max(1, centre), 200)
            for (var k = 0; k < 3; ++k)
                verify(Math.abs(back[k] - c[k]) <= 16, c + " came back as " + back)
        }
    }

    function test_colourText() {
        compare(Hue.colourText(255, 0, 0), "#ff0000")
        compare(Hue.colourText(0, 15, 16), "#000f10")
        compare(Hue.colourText(171, 205, 239), "#abcdef")
        compare(Hue.channels("#000f10"), [0, 15, 16])
        compare(Hue.channels("#ABCDEF"), [171, 205, 239])
        compare(Hue.channels("red"), [0, 0, 0])
    }
}
