#pragma once

#include <QLoggingCategory>

// The single-instance channel: connections, requests and answers.
// Off by default; QT_LOGGING_RULES="stryla.channel.debug=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcChannel)
