#include "display_check.h"

// Windows always has its desktop.
QString DisplayCheck::problem()
{
    return QString();
}
