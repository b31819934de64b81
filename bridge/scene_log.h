#pragma once

#include <QLoggingCategory>

// What the program asks of the scene and what holds a profile switch back.
// Off by default; QT_LOGGING_RULES="stryla.scene.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcScene)
