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

// A child process started with this variable set to testHome() uses the
// same home instead of a fresh one.
constexpr char SharedHomeVariable[] = "VC_TEST_SHARED_HOME";

// Points HOME and the XDG locations at a fresh temporary directory, so that
// tests never read or write the user's real settings or files. Call before
// the application object exists.
void isolateEnvironment();

// The temporary home directory made by isolateEnvironment().
QString testHome();

// Removes every setting of the program (between test cases).
void clearSettings();

} // namespace vc::test

// Like QTEST_MAIN, with the environment isolated first. Fonts are sized at
// 96 dots per inch whatever the display says: the attribute must be set
// before the application makes its default font, or it may not apply.
#define VC_TEST_MAIN(TestObject)                                                                   \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        vc::test::isolateEnvironment();                                                            \
        QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);                                     \
        VC_TEST_APPLICATION app(argc, argv);                                                       \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
