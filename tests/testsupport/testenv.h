#pragma once

#include "coretest.h"

#include <QApplication>

// Like QTEST_MAIN, with the environment isolated first.
#define VC_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        vc::test::isolateEnvironment();                                                            \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
