#pragma once

#include <QColor>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace vc {

// Message texts are shown white on the dark theme's message boxes: `html`
// as it is.
inline QString whiteText(const QString &html)
{
    return QStringLiteral("<font color='white'>") + html + QStringLiteral("</font>");
}
// The same for plain text, escaped, its line breaks kept.
inline QString whitePlainText(const QString &plain)
{
    return whiteText(plain.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

// Every modal question, message box and file dialog of the editor goes
// through this seam, so that tests can answer them without a person.
// The default implementation shows the real Qt dialogs.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // A message box; returns the button pressed (NoButton when closed).
    virtual QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                                const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
    // A question answered by buttons of its own (texts such as "恢復");
    // returns the index of the button pressed. Escape presses the last one;
    // -1 when the box went without an answer.
    virtual int choose(QWidget *parent, const QString &title, const QString &text,
                       const QStringList &choices, int defaultChoice);
    // The about box used for success messages.
    virtual void about(QWidget *parent, const QString &title, const QString &text);

    virtual QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter);
    virtual QStringList openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                      const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                 const QString &filter);
    virtual QString existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                      QFileDialog::Options options);
    // Returns an invalid colour when the dialog is cancelled.
    virtual QColor color(const QColor &initial, QWidget *parent, const QString &title);
    // Runs a dialog of the program's own modally; returns its result code.
    virtual int exec(QDialog *dialog);

    // Convenience wrappers over message().
    QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton def = QMessageBox::NoButton);
    QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton def);
    QMessageBox::StandardButton information(QWidget *parent, const QString &title,
                                            const QString &text);
    QMessageBox::StandardButton critical(QWidget *parent, const QString &title,
                                         const QString &text);

    // The prompter in use; never null. Tests install their own.
    static Prompter &instance();
    // Takes no ownership; pass nullptr to return to the real dialogs.
    static void setInstance(Prompter *prompter);
};

inline Prompter &prompter()
{
    return Prompter::instance();
}

} // namespace vc
