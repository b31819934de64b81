#pragma once

#include <QLoggingCategory>

// The focused window, the programs seen, and each switch a rule makes or waits with.
// Off by default; QT_LOGGING_RULES="stryla.programs.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcPrograms)
