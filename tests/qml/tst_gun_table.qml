import QtQuick
import QtTest
import "../../modules/qml/js/gun_table.js" as GunTable

// The gun page's table: guns read from their stored lists, what a gun slot sends, the slots'
// stored choice, renames and Reset.
TestCase {
    name: "GunTable"

    function test_fromStored_data() {
        return [
            { tag: "whole entry", stored: ["M416", "L-Click", "9", "0", "5", "0"],
              gun: { name: "M416", key: "L-Click", period: "9", x: "0", y: "5", times: "0" } },
            { tag: "renamed gun", stored: ["Rifle", "R-Click", "12", "3", "64", "30"],
              gun: { name: "Rifle", key: "R-Click", period: "12", x: "3", y: "64", times: "30" } },
            { tag: "missing entry: the list's name, empty values", stored: [],
              gun: { name: "AKM", key: "", period: "", x: "", y: "", times: "" } },
            { tag: "short entry", stored: ["AKM", "L-Click", "9"],
              gun: { name: "AKM", key: "L-Click", period: "9", x: "", y: "", times: "" } },
            { tag: "empty name", stored: [" ", "L-Click", "9", "0", "7", "0"],
              gun: { name: "AKM", key: "L-Click", period: "9", x: "0", y: "7", times: "0" } },
            { tag: "numbers", stored: ["AKM", "L-Click", 9, 0, 7, 0],
              gun: { name: "AKM", key: "L-Click", period: "9", x: "0", y: "7", times: "0" } }
        ]
    }

    function test_fromStored(data) {
        var g = GunTable.fromStored(data.stored, "AKM")
        compare(g, data.gun)
        if (data.stored.length === 6 && String(data.stored[0]).trim() !== "")
            compare(GunTable.toStored(g), data.stored.map(String))
    }

    function test_sendValuesAndPeriod() {
        var g = GunTable.fromStored(["M416", "L-Click", "9", "3", "8", "30"], "M416")
        compare(GunTable.sendValues(g), [30, 3, 8])
        compare(GunTable.period(g), 9)
        var empty = GunTable.fromStored([], "M416")
        compare(GunTable.sendValues(empty), [0, 0, 0])
        compare(GunTable.period(empty), 10)
        var odd = GunTable.fromStored(["M416", "L-Click", "fast", "1.5", "x", " 7 "], "M416")
        compare(GunTable.sendValues(odd), [7, 0, 0])
        compare(GunTable.period(odd), 10)
    }

    function test_parseChoice_data() {
        return [
            { tag: "factory", stored: ["0", "1", "2"], choice: [0, 1, 2] },
            { tag: "any order, repeats allowed", stored: ["5", "5", "0"], choice: [5, 5, 0] },
            { tag: "numbers", stored: [2, 0, 1], choice: [2, 0, 1] },
            { tag: "missing", stored: undefined, choice: null },
            { tag: "one value", stored: "0", choice: null },
            { tag: "two values", stored: ["0", "1"], choice: null },
            { tag: "four values", stored: ["0", "1", "2", "3"], choice: null },
            { tag: "past the table", stored: ["0", "1", "6"], choice: null },
            { tag: "negative", stored: ["-1", "1", "2"], choice: null },
            { tag: "not a number", stored: ["a", "1", "2"], choice: null }
        ]
    }

    function test_parseChoice(data) {
        compare(GunTable.parseChoice(data.stored, 6), data.choice)
    }

    function test_canRename() {
        var names = GunTable.defaultNames
        verify(GunTable.canRename(names, 1, "AK-47"))
        verify(GunTable.canRename(names, 1, "akm"))        // names compare case by case
        verify(!GunTable.canRename(names, 1, "M416"))
        verify(!GunTable.canRename(names, 1, "AKM"))       // its own name is no new one
        verify(!GunTable.canRename(names, 1, ""))
        verify(!GunTable.canRename(names, 1, "   "))
        verify(!GunTable.canRename(names, 6, "AK-47"))
        verify(!GunTable.canRename(names, -1, "AK-47"))
    }

    function test_afterReset() {
        var guns = GunTable.defaultGuns()
        guns[0].y = "40"
        guns[1].period = "30"
        guns[2].x = "12"
        guns[4].y = "33"
        var reset = GunTable.afterReset(guns)
        compare([reset[0].y, reset[1].y, reset[2].y], ["5", "7", "8"])
        compare([reset[0].period, reset[1].period, reset[2].period], ["9", "9", "9"])
        compare(reset[2].x, "12")
        compare(reset[4].y, "33")
        compare(reset[3].period, "10")
        // The given table stays as it was.
        compare(guns[0].y, "40")
        compare(guns[1].period, "30")
    }

    function test_defaults() {
        var guns = GunTable.defaultGuns()
        compare(guns.map(function (g) { return g.name }),
                ["M416", "AKM", "M16A4", "SCAR-L", "UNP9", "Thomson"])
        compare(GunTable.toStored(guns[3]), ["SCAR-L", "L-Click", "10", "0", "10", "0"])
    }
}
