#pragma once

#include <QLoggingCategory>

// Every report on the wire, as hex, in the order it crossed.
// Off by default; QT_LOGGING_RULES="stryla.wire.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcWire)
