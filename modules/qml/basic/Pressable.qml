import QtQuick

// A rectangle worked by pointer and keyboard alike: Tab reaches it, it wears the focus ring
// while it has the focus, and Space or Enter activate it when the key goes up again, as a
// click does. A key that went down elsewhere (the Enter that closed a pop-up and gave the
// focus back here) does nothing when it goes up here.
//
// While takesAllKeys is set (a key capture is armed) every key stays here, so none moves the
// focus or works a control; Esc is the way out and is announced as escapePressed.
Rectangle {
    id: control

    property bool keyDown: false
    property bool takesAllKeys: false
    // Controls of one set (choices, colours) share a group: the arrows move between them.
    property string group: ""
    // A set that is one Tab stop: its members are the shown controls of the group below
    // groupRoot, and Tab reaches only the chosen one (the first, when none is chosen).
    property Item groupRoot: null
    property bool chosen: false

    signal activated()
    signal escapePressed()

    // The shown members of this control's set, in the order they are laid out.
    function groupMembers() {
        var found = []
        var walk = function (item) {
            for (var i = 0; i < item.children.length; ++i) {
                var child = item.children[i]
                if (child.group === group && child.groupRoot === groupRoot) {
                    if (child.visible)
                        found.push(child)
                } else {
                    walk(child)
                }
            }
        }
        walk(groupRoot)
        return found
    }

    function isGroupTabStop() {
        var members = groupMembers()
        for (var i = 0; i < members.length; ++i) {
            if (members[i].chosen)
                return members[i] === control
        }
        return members.length > 0 && members[0] === control
    }

    // Moves the focus to the next (or previous) control of the same group: along the set
    // below groupRoot, else among the neighbours of the same parent.
    function moveInGroup(forward) {
        if (groupRoot !== null) {
            var members = groupMembers()
            var target = members[members.indexOf(control) + (forward ? 1 : -1)]
            if (target && target.enabled)
                target.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
            return
        }
        var next = nextItemInFocusChain(forward)
        if (group !== "" && next && next !== control && next.parent === control.parent
                && next.group === group)
            next.forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
    }

    function isActivationKey(key) {
        return key === Qt.Key_Space || key === Qt.Key_Return || key === Qt.Key_Enter
    }

    activeFocusOnTab: groupRoot === null || isGroupTabStop()
    onActiveFocusChanged: if (!activeFocus) keyDown = false
    onTakesAllKeysChanged: keyDown = false

    Keys.priority: Keys.BeforeItem
    Keys.onPressed: function (event) {
        if (takesAllKeys) {
            event.accepted = true
            if (event.key === Qt.Key_Escape && !event.isAutoRepeat)
                escapePressed()
        } else if (isActivationKey(event.key)) {
            if (!event.isAutoRepeat)
                keyDown = true
            event.accepted = true
        }
    }
    Keys.onReleased: function (event) {
        if (takesAllKeys) {
            event.accepted = true
            return
        }
        if (!isActivationKey(event.key))
            return
        event.accepted = true
        if (event.isAutoRepeat || !keyDown)
            return
        keyDown = false
        if (enabled)
            activated()
    }

    FocusRing {}
}
