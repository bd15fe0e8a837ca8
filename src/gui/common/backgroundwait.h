#pragma once

#include <QFuture>
#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace vc {

// How the window waits for work that runs on another thread.
struct WaitOptions
{
    QString label;                // the progress dialog's text
    std::function<int()> percent; // 0..100; none: a busy bar
    bool showAtOnce = false;      // else only once the wait is long enough to be noticed
    bool leaveOnCancel = false;   // Cancel ends the wait at once; the work's result is dropped
};

// Waits for `work` without holding up the interface thread: the window
// keeps painting (the preview keeps turning) but takes no input, and a
// modal progress dialog with Cancel shows. Cancel sets *cancel, which the
// work may check; unless the options say otherwise the wait goes on until
// the work has ended. A Cancel still on its way when the work ends is
// delivered before this returns, so that *cancel is final then.
void waitForWork(const QFuture<void> &work, QWidget *parent, const WaitOptions &options,
                 std::atomic<bool> *cancel);

} // namespace vc
