import QtQuick
import QtTest
import "../../modules/qml/js/profile_names.js" as ProfileNames

// The stored profile list and the rules of the profiles page: new entries, what may be
// deleted, what a rename may be.
TestCase {
    name: "ProfileNames"

    function entries(list) {
        return list.map(function (e) { return { name: e[0], number: e[1] } })
    }

    function test_parseAndFormat() {
        compare(ProfileNames.parse(["Standard0", "loaderpivlan"]), entries([["Standard", 0]]))
        compare(ProfileNames.parse(["Standard0", "profile_03"]),
                entries([["Standard", 0], ["profile_0", 3]]))
        compare(ProfileNames.format(entries([["Standard", 0], ["profile_0", 3]])),
                ["Standard0", "profile_03"])
        // Unusable numbers and repeated numbers are left out.
        compare(ProfileNames.parse(["A0", "B7", "C0", "8", "D1"]), entries([["A", 0], ["D", 1]]))
    }

    function test_newEntry_data() {
        return [
            { tag: "after the first", list: [["Standard", 0]], inUse: 0, entry: ["profile_0", 1] },
            { tag: "lowest free number", list: [["Standard", 0], ["profile_0", 1], ["profile_1", 3]],
              inUse: 0, entry: ["profile_2", 2] },
            { tag: "lowest free name", list: [["Standard", 0], ["profile_1", 2]], inUse: 0,
              entry: ["profile_0", 1] },
            { tag: "not the profile in use", list: [["Standard", 0], ["profile_0", 2]], inUse: 1,
              entry: ["profile_1", 3] },
            { tag: "names taken up to 10", list: [["profile_0", 0], ["profile_1", 1], ["profile_2", 2],
              ["profile_3", 3], ["profile_4", 5]], inUse: 0, entry: ["profile_5", 4] },
        ]
    }
    function test_newEntry(row) {
        var e = ProfileNames.newEntry(entries(row.list), row.inUse)
        compare(e, { name: row.entry[0], number: row.entry[1] })
    }

    function test_fullList() {
        var six = entries([["Standard", 0], ["a", 1], ["b", 2], ["c", 3], ["d", 4], ["e", 5]])
        compare(ProfileNames.newEntry(six, 0), null)
        // Five entries, but the last free number is the profile in use.
        var five = entries([["Standard", 0], ["a", 1], ["b", 2], ["c", 3], ["d", 4]])
        compare(ProfileNames.newEntry(five, 5), null)
    }

    // Deleting goes by the entry's profile number, not by its position in the list.
    function test_canDelete() {
        var list = entries([["Standard", 0], ["a", 2], ["b", 4]])
        verify(!ProfileNames.canDelete(list, 0, 4))
        verify(ProfileNames.canDelete(list, 1, 4))
        verify(!ProfileNames.canDelete(list, 2, 4))
        verify(ProfileNames.canDelete(list, 2, 1))
        verify(!ProfileNames.canDelete(list, 3, 1))
        verify(!ProfileNames.canDelete(list, -1, 1))
    }

    function test_canRename() {
        var list = entries([["Standard", 0], ["Work", 2]])
        verify(ProfileNames.canRename(list, 1, "Games"))
        verify(!ProfileNames.canRename(list, 1, "Standard"))
        verify(!ProfileNames.canRename(list, 1, "Work"))
        verify(ProfileNames.canRename(list, 1, "work"))
        verify(!ProfileNames.canRename(list, 1, ""))
        verify(!ProfileNames.canRename(list, 1, "two\nlines"))     // control characters
        verify(!ProfileNames.canRename(list, 1, "\u001b]0;T\u0007"))
        verify(!ProfileNames.canRename(list, 2, "Games"))
    }
}
