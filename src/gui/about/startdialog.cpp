#include "gui/about/startdialog.h"

#include "gui/about/about.h"
#include "gui/common/prompter.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>

namespace vc {

namespace {
// Runs a task once, after the watched widget's first paint, so the widget
// is on the screen before the task takes the event loop for a while.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *watched, std::function<void()> task)
        : QObject(watched), m_task(std::move(task))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_task) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(m_task, {}));
        }
        return false;
    }

private:
    std::function<void()> m_task;
};
} // namespace

StartChoice runStartDialog(const std::function<void()> &whileShown)
{
    about dialog;
    dialog.setWindowIcon(QIcon(QStringLiteral(":/VLOGO.ico")));
    if (whileShown)
        new AfterFirstPaint(&dialog, whileShown);
    StartChoice choice;
    choice.quit = prompter().exec(&dialog) == QDialog::Accepted;
    choice.projectPath = dialog.projectPath();
    return choice;
}

void showAboutBox(QWidget *parent)
{
    about dialog(parent);
    dialog.hideStartButtons();
    prompter().exec(&dialog);
}

} // namespace vc
