#pragma once

#include <QString>

// Whether the window system Qt is about to use can be reached at all, asked before the
// application object is made: Qt itself ends the program with a long message about
// reinstalling it when no display answers.
namespace DisplayCheck {

// One line saying why no display can be reached ("No display to connect to: …"); empty when
// one answers, or when the platform chosen needs none (offscreen, minimal, Windows).
QString problem();

}  // namespace DisplayCheck
