#pragma once

#include "gui/app/prompter.h"

#include <QMap>
#include <QStringList>
#include <QVariant>

// What the command-line tool needs to run the editor's own window logic
// without a window on screen and without anyone at the keyboard.
namespace vc::ctl {

// Answers the editor's questions when no one is there: every message box is
// closed without a button, every file, folder or colour dialog cancelled,
// every dialog of the program's own rejected. The texts of the messages are
// kept, as plain text, for the terminal. Installed while it lives.
class HeadlessPrompter : public Prompter
{
public:
    HeadlessPrompter();
    ~HeadlessPrompter() override;

    // "title: text" of every message and about box, without markup.
    QStringList messages;

    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
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

    // Markup of the message boxes ("<font color='white'>") removed.
    static QString plainText(const QString &text);

private:
    void keep(const QString &title, const QString &text);
};

// Keeps the editor's settings as they were: the window remembers what is
// done in it (the chosen prop, the last picture folder), which must not
// leak from a conversion into the user's editor. Whatever changed while the
// guard lived is put back when it goes.
class SettingsGuard
{
public:
    SettingsGuard();
    ~SettingsGuard();
    SettingsGuard(const SettingsGuard &) = delete;
    SettingsGuard &operator=(const SettingsGuard &) = delete;

private:
    QMap<QString, QVariant> m_before;
};

} // namespace vc::ctl
