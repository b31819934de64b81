#pragma once

// What assistive technology reads of the scene's items, where Qt's own reading falls short for
// a scene shown in a QQuickWidget:
// - positions: Qt reports an item's place on the screen through the scene's own window, which
//   for a QQuickWidget is an offscreen window that never moves; the place is taken through the
//   widget's window instead, where the item is drawn;
// - progress bars: Qt gives the value interface to sliders, spin boxes, dials and scroll bars
//   only; an item in the progress-bar role gets it too (its value, minimumValue and
//   maximumValue properties).
// install() adds this reading ahead of Qt's own, once per program.
namespace SceneAccessibility {
void install();
}
