#include "gui/common/prompter.h"

#include <QColorDialog>
#include <QDialog>
#include <QPushButton>

namespace vc {

namespace {
Prompter *g_installed = nullptr;
}

Prompter &Prompter::instance()
{
    static Prompter real;
    return g_installed ? *g_installed : real;
}

void Prompter::setInstance(Prompter *prompter)
{
    g_installed = prompter;
}

QMessageBox::StandardButton Prompter::message(QWidget *parent, QMessageBox::Icon icon,
                                              const QString &title, const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    const int r = box.exec();
    return static_cast<QMessageBox::StandardButton>(r);
}

int Prompter::choose(QWidget *parent, const QString &title, const QString &text,
                     const QStringList &choices, int defaultChoice)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons.append(box.addButton(choice, QMessageBox::ActionRole));
    if (defaultChoice >= 0 && defaultChoice < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.at(defaultChoice)));
    if (!buttons.isEmpty())
        box.setEscapeButton(buttons.last());
    box.exec();
    return buttons.indexOf(box.clickedButton());
}

void Prompter::about(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::about(parent, title, text);
}

QString Prompter::openFileName(QWidget *parent, const QString &caption, const QString &dir,
                               const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QStringList Prompter::openFileNames(QWidget *parent, const QString &caption, const QString &dir,
                                    const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString Prompter::saveFileName(QWidget *parent, const QString &caption, const QString &dir,
                               const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString Prompter::existingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                    QFileDialog::Options options)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

QColor Prompter::color(const QColor &initial, QWidget *parent, const QString &title)
{
    return QColorDialog::getColor(initial, parent, title);
}

int Prompter::exec(QDialog *dialog)
{
    return dialog->exec();
}

QMessageBox::StandardButton Prompter::warning(QWidget *parent, const QString &title,
                                              const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton def)
{
    return message(parent, QMessageBox::Warning, title, text, buttons, def);
}

QMessageBox::StandardButton Prompter::question(QWidget *parent, const QString &title,
                                               const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton def)
{
    return message(parent, QMessageBox::Question, title, text, buttons, def);
}

QMessageBox::StandardButton Prompter::information(QWidget *parent, const QString &title,
                                                  const QString &text)
{
    return message(parent, QMessageBox::Information, title, text, QMessageBox::Ok,
                   QMessageBox::NoButton);
}

QMessageBox::StandardButton Prompter::critical(QWidget *parent, const QString &title,
                                               const QString &text)
{
    return message(parent, QMessageBox::Critical, title, text, QMessageBox::Ok,
                   QMessageBox::NoButton);
}

} // namespace vc
