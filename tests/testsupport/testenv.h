#pragma once

#include <QString>
#include <QTest>

// Tests of the core library run without widgets, on a QGuiApplication.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#define VC_TEST_APPLICATION QApplication
#else
#include <QGuiApplication>
#define VC_TEST_APPLICATION QGuiApplication
#endif

namespace vc::test {

// Points HOME and the XDG locations at a fresh temporary directory, so that
// tests never read or write the user's real settings or files. Call before
// the application object exists.
void isolateEnvironment();

// The temporary home directory made by isolateEnvironment().
QString testHome();

// Removes every setting of the program (between test cases).
void clearSettings();

} // namespace vc::test

// Like QTEST_MAIN, with the environment isolated first.
#define VC_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        vc::test::isolateEnvironment();                                                            \
        VC_TEST_APPLICATION app(argc, argv);                                                       \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
