#pragma once

#include "gui/common/prompter.h"

#include <QList>
#include <QQueue>
#include <QVariant>

namespace vc::test {

// Answers the editor's questions and dialogs from a script and records
// what was asked. Installs itself on construction, uninstalls on destruction.
class ScriptedPrompter : public Prompter
{
public:
    struct Call
    {
        QString kind; // "message", "choose", "about", "open", "openMany", "save", "dir", "color",
                      // "exec"
        QString title;
        QString text; // message text, or the dialog's start directory
        QString filter;
        int icon = 0;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QWidget *parent = nullptr; // what the dialog opens over
        QStringList choices;       // the buttons of a "choose"
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Scripted answers, used in order; when a queue runs dry the dialog is
    // treated as cancelled (NoButton, empty name, invalid colour, Rejected).
    QQueue<QMessageBox::StandardButton> buttons;
    QQueue<QString> fileNames;
    QQueue<QStringList> fileLists;
    QQueue<QColor> colours;
    QQueue<int> dialogResults;
    // Indexes of the buttons pressed in choose() boxes.
    QQueue<int> choices;
    // Optional hook run on every dialog passed to exec(), before its result.
    std::function<int(QDialog *)> onExec;

    QList<Call> calls;

    QStringList messageTexts() const;
    int count(const QString &kind) const;

    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    int choose(QWidget *parent, const QString &title, const QString &text,
               const QStringList &choices, int defaultChoice) override;
    void about(QWidget *parent, const QString &title, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override;
    QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                              QFileDialog::Options options) override;
    QColor color(const QColor &initial, QWidget *parent, const QString &title) override;
    int exec(QDialog *dialog) override;
};

} // namespace vc::test
