#pragma once

#include <QLoggingCategory>

// The desktop's pointer settings as they are written.
// Off by default; QT_LOGGING_RULES="stryla.desktop.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
