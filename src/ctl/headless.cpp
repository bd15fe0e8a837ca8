#include "ctl/headless.h"

#include "core/app/appsettings.h"

#include <QDialog>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace vc::ctl {

HeadlessPrompter::HeadlessPrompter()
{
    Prompter::setInstance(this);
}

HeadlessPrompter::~HeadlessPrompter()
{
    Prompter::setInstance(nullptr);
}

QString HeadlessPrompter::plainText(const QString &text)
{
    QString plain = text;
    if (Qt::mightBeRichText(text))
        plain = QTextDocumentFragment::fromHtml(text).toPlainText();
    return plain.simplified();
}

void HeadlessPrompter::keep(const QString &title, const QString &text)
{
    const QString t = plainText(title);
    const QString body = plainText(text);
    messages << (t.isEmpty() || t == body ? body : t + QLatin1String(": ") + body);
}

QMessageBox::StandardButton HeadlessPrompter::message(QWidget *, QMessageBox::Icon,
                                                      const QString &title, const QString &text,
                                                      QMessageBox::StandardButtons,
                                                      QMessageBox::StandardButton)
{
    keep(title, text);
    return QMessageBox::NoButton;
}

void HeadlessPrompter::about(QWidget *, const QString &title, const QString &text)
{
    keep(title, text);
}

QString HeadlessPrompter::openFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return {};
}

QStringList HeadlessPrompter::openFileNames(QWidget *, const QString &, const QString &,
                                            const QString &)
{
    return {};
}

QString HeadlessPrompter::saveFileName(QWidget *, const QString &, const QString &, const QString &)
{
    return {};
}

QString HeadlessPrompter::existingDirectory(QWidget *, const QString &, const QString &,
                                            QFileDialog::Options)
{
    return {};
}

QColor HeadlessPrompter::color(const QColor &, QWidget *, const QString &)
{
    return {};
}

int HeadlessPrompter::exec(QDialog *)
{
    return QDialog::Rejected;
}

SettingsGuard::SettingsGuard()
{
    const QSettings s = settings::open();
    for (const QString &key : s.allKeys())
        m_before.insert(key, s.value(key));
}

SettingsGuard::~SettingsGuard()
{
    QSettings s = settings::open();
    for (const QString &key : s.allKeys())
        if (!m_before.contains(key))
            s.remove(key);
    for (auto it = m_before.cbegin(); it != m_before.cend(); ++it)
        if (s.value(it.key()) != it.value())
            s.setValue(it.key(), it.value());
}

} // namespace vc::ctl
