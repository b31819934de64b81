import QtQuick

// The dropped part of a drop-down control, laid above the whole scene. A press anywhere
// outside it and outside its owner dismisses it; that press still reaches what lies there,
// so one click on another control both closes the drop-down and works that control.
Item {
    id: layer

    property Item owner
    property bool shown: false
    default property alias content: holder.data

    signal dismissed()

    // Places the content's top left corner at point p of the owner.
    function placeAt(item, p) {
        var s = owner.mapToItem(null, p.x, p.y)
        placeAtScene(item, s.x, s.y)
    }

    // Places it at (x, y) of the scene, inside the window.
    function placeAtScene(item, x, y) {
        item.x = Math.max(0, Math.min(x, width - item.width))
        item.y = Math.max(0, Math.min(y, height - item.height))
    }

    parent: owner ? owner.Window.contentItem : null
    anchors.fill: parent
    visible: shown
    z: 1000

    MouseArea {
        anchors.fill: parent
        onPressed: function (mouse) {
            var p = mapToItem(layer.owner, mouse.x, mouse.y)
            if (!layer.owner || !layer.owner.contains(p))
                layer.dismissed()
            mouse.accepted = false
        }
    }
    Item {
        id: holder
        anchors.fill: parent
    }
}
