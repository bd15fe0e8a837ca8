#include "scriptedprompter.h"

#include <QDialog>

namespace vc::test {

namespace {
ScriptedPrompter::Call makeCall(const QString &kind, const QString &title, const QString &text,
                                const QString &filter, QWidget *parent)
{
    ScriptedPrompter::Call c;
    c.parent = parent;
    c.kind = kind;
    c.title = title;
    c.text = text;
    c.filter = filter;
    return c;
}
} // namespace

ScriptedPrompter::ScriptedPrompter()
{
    Prompter::setInstance(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    Prompter::setInstance(nullptr);
}

QStringList ScriptedPrompter::messageTexts() const
{
    QStringList out;
    for (const Call &c : calls)
        if (c.kind == QLatin1String("message") || c.kind == QLatin1String("about") ||
            c.kind == QLatin1String("choose"))
            out << c.text;
    return out;
}

int ScriptedPrompter::count(const QString &kind) const
{
    int n = 0;
    for (const Call &c : calls)
        n += c.kind == kind ? 1 : 0;
    return n;
}

QMessageBox::StandardButton ScriptedPrompter::message(QWidget *parent, QMessageBox::Icon icon,
                                                      const QString &title, const QString &text,
                                                      QMessageBox::StandardButtons b,
                                                      QMessageBox::StandardButton def)
{
    Call c;
    c.kind = QStringLiteral("message");
    c.title = title;
    c.text = text;
    c.icon = icon;
    c.buttons = b;
    c.defaultButton = def;
    c.parent = parent;
    calls << c;
    return buttons.isEmpty() ? QMessageBox::NoButton : buttons.dequeue();
}

int ScriptedPrompter::choose(QWidget *parent, const QString &title, const QString &text,
                             const QStringList &choiceTexts, int)
{
    Call c = makeCall(QStringLiteral("choose"), title, text, QString(), parent);
    c.choices = choiceTexts;
    calls << c;
    return choices.isEmpty() ? -1 : choices.dequeue();
}

void ScriptedPrompter::about(QWidget *parent, const QString &title, const QString &text)
{
    Call c;
    c.parent = parent;
    c.kind = QStringLiteral("about");
    c.title = title;
    c.text = text;
    calls << c;
}

QString ScriptedPrompter::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter)
{
    calls << makeCall(QStringLiteral("open"), caption, dir, filter, parent);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QStringList ScriptedPrompter::openFileNames(QWidget *parent, const QString &caption,
                                            const QString &dir, const QString &filter)
{
    calls << makeCall(QStringLiteral("openMany"), caption, dir, filter, parent);
    return fileLists.isEmpty() ? QStringList() : fileLists.dequeue();
}

QString ScriptedPrompter::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter)
{
    calls << makeCall(QStringLiteral("save"), caption, dir, filter, parent);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompter::existingDirectory(QWidget *parent, const QString &caption,
                                            const QString &dir, QFileDialog::Options)
{
    calls << makeCall(QStringLiteral("dir"), caption, dir, QString(), parent);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QColor ScriptedPrompter::color(const QColor &initial, QWidget *parent, const QString &title)
{
    calls << makeCall(QStringLiteral("color"), title, initial.name(), QString(), parent);
    return colours.isEmpty() ? QColor() : colours.dequeue();
}

int ScriptedPrompter::exec(QDialog *dialog)
{
    calls << makeCall(QStringLiteral("exec"), dialog->windowTitle(), dialog->objectName(),
                      QString(), dialog->parentWidget());
    if (onExec)
        return onExec(dialog);
    return dialogResults.isEmpty() ? QDialog::Rejected : dialogResults.dequeue();
}

} // namespace vc::test
