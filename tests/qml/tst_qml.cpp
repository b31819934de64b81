// Runner of the scene's Qt Quick tests; each test file is passed with -input.

#include <QtQuickTest>

QUICK_TEST_MAIN(stryla_qml)
