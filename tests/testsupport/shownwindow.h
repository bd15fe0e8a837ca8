#pragma once

#include "gui/app/mainwindow.h"
#include "testsupport/scriptedprompter.h"
#include "ui_mainwindow.h"

#include <QTest>

namespace vc::test {

// The main window shown at its normal size, so the track area and the
// tracks are as wide as the ruler; its dialogs are answered by a script
// (the prompter is made first and goes last).
struct ShownWindow
{
    ScriptedPrompter prompter;
    MainWindow w;
    ShownWindow()
    {
        w.resize(1300, 885);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qWarning("window not exposed");
    }
    Ui::MainWindow *ui() const { return w.form(); }
};

} // namespace vc::test
