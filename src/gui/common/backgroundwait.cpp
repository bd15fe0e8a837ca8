#include "gui/common/backgroundwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>

#include <limits>

namespace vc {

namespace {
// A shorter wait is not worth a dialog that flashes up and goes.
constexpr qint64 ShowAfterMs = 400;
} // namespace

void waitForWork(const QFuture<void> &work, QWidget *parent, const WaitOptions &options,
                 std::atomic<bool> *cancel)
{
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(work);

    QProgressDialog dialog(options.label, QCoreApplication::translate("vc::WaitForWork", "取消"), 0,
                           options.percent ? 100 : 0, parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // Shown here, not by the dialog's own clock.
    dialog.setMinimumDuration(std::numeric_limits<int>::max());
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop, [&] {
        *cancel = true;
        if (options.leaveOnCancel)
            loop.quit();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start(100);
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    while (!watcher.isFinished() && !(options.leaveOnCancel && *cancel)) {
        if (!shown && (options.showAtOnce || clock.elapsed() >= ShowAfterMs)) {
            dialog.show();
            shown = true;
        }
        // Cancel hides the dialog; the work stops at its next step.
        const bool showing = dialog.isVisible();
        if (showing && options.percent)
            dialog.setValue(options.percent());
        loop.exec(showing ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    if (dialog.isVisible())
        QCoreApplication::processEvents();
}

} // namespace vc
