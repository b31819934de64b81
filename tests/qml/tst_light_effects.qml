import QtQuick
import QtTest
import "../../modules/qml/js/light_effects.js" as Effects

// The lighting page's effect table: names per device, the sliders each effect shows and
// presets, the page height, and the preview the mouse picture plays.
TestCase {
    name: "LightEffects"

    readonly property var texts: ["Light", "Static", "Breath", "Neon", "OFF", "Speed", "Color",
        "Brightness", "Twinkling", "Wave", "Gliding", "Finger Moving", "Vertical Flipping",
        "YO-YO", "Spotlight", "Breath Loop", "", "", "", ""]

    function test_effectNames() {
        compare(Effects.effectNames(texts, false, false), ["Static", "Breath", "Neon", "OFF"])
        var colourful = Effects.effectNames(texts, true, false)
        compare(colourful.length, 11)
        compare(colourful[4], "Twinkling")
        compare(colourful[5], "Wave")
        compare(colourful[10], "Spotlight")
        compare(Effects.effectNames(texts, false, true),
                ["Static", "Breath", "Neon", "OFF", "Breath Loop"])
    }

    function test_sliders_data() {
        return [
            { tag: "0 Static", e: 0, is55328: false, speed: false, bright: true, preset: { brightness: 4 }, h: 224 },
            { tag: "1 Breath", e: 1, is55328: false, speed: true, bright: false, preset: { speed: 0 }, h: 224 },
            { tag: "2 Neon", e: 2, is55328: false, speed: true, bright: false, preset: { speed: 0 }, h: 224 },
            { tag: "3 OFF", e: 3, is55328: false, speed: false, bright: false, preset: { brightness: 0 }, h: 176 },
            { tag: "4 Breath Loop", e: 4, is55328: true, speed: true, bright: false, preset: { speed: 0 }, h: 224 },
            { tag: "4 Twinkling", e: 4, is55328: false, speed: false, bright: true, preset: { brightness: 4 }, h: 224 },
            { tag: "5 Wave", e: 5, is55328: false, speed: true, bright: true, preset: { speed: 0, brightness: 4 }, h: 264 },
            { tag: "6 Gliding", e: 6, is55328: false, speed: false, bright: false, preset: { speed: 0, brightness: 4 }, h: 176 },
            { tag: "7 Finger Moving", e: 7, is55328: false, speed: false, bright: true, preset: { brightness: 4 }, h: 224 },
            { tag: "8 Vertical Flipping", e: 8, is55328: false, speed: true, bright: true, preset: { speed: 0, brightness: 4 }, h: 264 },
            { tag: "9 YO-YO", e: 9, is55328: false, speed: true, bright: true, preset: { speed: 0, brightness: 4 }, h: 264 },
            { tag: "10 Spotlight", e: 10, is55328: false, speed: true, bright: true, preset: { speed: 0, brightness: 4 }, h: 264 },
            { tag: "beyond the table", e: 11, is55328: true, speed: false, bright: false, preset: {}, h: 176 },
        ]
    }
    function test_sliders(row) {
        var shown = Effects.sliders(row.e, row.is55328)
        compare(shown.speed, row.speed)
        compare(shown.brightness, row.bright)
        compare(Effects.preset(row.e, row.is55328), row.preset)
        compare(Effects.pageHeight(row.e, row.is55328), row.h)
    }

    readonly property var blocks: [[255, 0, 0], [0, 255, 0], [0, 0, 255], [255, 255, 0],
        [0, 255, 255], [255, 0, 255], [255, 255, 255], [10, 20, 30]]
    readonly property var colourful: ({ colorful: true, is55328: false })

    function test_previewSteadyAndOff() {
        compare(Effects.previewAt(0, colourful, 1234, blocks, 0, 4), { colour: [255, 0, 0], level: 1 })
        compare(Effects.previewAt(0, colourful, 0, blocks, 0, 2), { colour: [255, 0, 0], level: 128 / 255 })
        compare(Effects.previewAt(0, colourful, 0, blocks, 0, 0).level, 0)
        // A single-colour mouse keeps a glow at brightness 0.
        compare(Effects.previewAt(0, { colorful: false, is55328: false }, 0, blocks, 0, 0).level, 0.1)
        compare(Effects.previewAt(3, colourful, 500, blocks, 2, 4).level, 0)
    }

    // Breath at speed 0 lasts 4 s: dark at its start and end, full halfway.
    function test_previewBreath() {
        fuzzyCompare(Effects.previewAt(1, colourful, 0, blocks, 0, 0).level, 0, 1e-9)
        fuzzyCompare(Effects.previewAt(1, colourful, 2000, blocks, 0, 0).level, 1, 1e-9)
        fuzzyCompare(Effects.previewAt(1, colourful, 1000, blocks, 0, 0).level, 0.5, 1e-9)
        fuzzyCompare(Effects.previewAt(1, colourful, 4000, blocks, 0, 0).level, 0, 1e-9)
        compare(Effects.previewAt(1, colourful, 2000, blocks, 0, 0).colour, [255, 0, 0])
        // Faster at speed 4: halfway after 450 ms.
        fuzzyCompare(Effects.previewAt(1, colourful, 450, blocks, 4, 0).level, 1, 1e-9)
    }

    // Neon blends block by block, 1.4 s each at speed 0, and comes round to block 1.
    function test_previewCycles() {
        compare(Effects.previewAt(2, colourful, 0, blocks, 0, 0).colour, [255, 0, 0])
        compare(Effects.previewAt(2, colourful, 700, blocks, 0, 0).colour, [127.5, 127.5, 0])
        compare(Effects.previewAt(2, colourful, 1400, blocks, 0, 0).colour, [0, 255, 0])
        compare(Effects.previewAt(2, colourful, 8 * 1400, blocks, 0, 0).colour, [255, 0, 0])
        // Vertical flipping steps; twinkling blinks off half of each block.
        compare(Effects.previewAt(8, colourful, 1500, blocks, 0, 4).colour, [0, 255, 0])
        compare(Effects.previewAt(4, colourful, 100, blocks, 0, 4).level, 1)
        compare(Effects.previewAt(4, colourful, 600, blocks, 0, 4).level, 0)
        // Breath Loop on a 55328 mouse: the second breath is in block 2.
        var breathLoop = Effects.previewAt(4, { colorful: false, is55328: true }, 4000 + 2000, blocks, 0, 0)
        compare(breathLoop.colour, [0, 255, 0])
        fuzzyCompare(breathLoop.level, 1, 1e-9)
    }
}
