#include "gui/render/texttab.h"

#include "core/model/show.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QSignalBlocker>

namespace vc {

namespace {

// The height the pattern is shown at in the tab's view.
constexpr int ViewHeight = 120;

} // namespace

TextTab::TextTab(MainWindow *window) : ColourTab(window, Lead::Sliders) {}

ColourTab::Controls TextTab::controls() const
{
    const Ui::MainWindow *ui = m_window->form();
    return {ui->text_fcolor,
            ui->text_bcolor,
            {ui->text_rnum, ui->text_gnum, ui->text_bnum},
            {ui->text_rslide, ui->text_gslide, ui->text_bslide}};
}

TextSettings TextTab::settings() const
{
    const Ui::MainWindow *ui = m_window->form();
    TextSettings s;
    s.front = m_window->document()->colour1();
    s.back = m_window->document()->colour2();
    s.text = ui->text_Edit->text();
    s.fontIndex = ui->fontComboBox->currentIndex();
    s.fontSizeIndex = ui->Font_size->currentIndex();
    s.width = ui->Text_slide->value();
    s.revH = ui->Text_revH->isChecked();
    s.revV = ui->Text_revV->isChecked();
    return s;
}

QString TextTab::params(int loops) const
{
    return PatternParams::textText(settings(), loops);
}

void TextTab::render(const QString &text)
{
    Ui::MainWindow *ui = m_window->form();
    if (TextPattern::hasReserved(text)) {
        // The edit's change signal renders the cleaned text. The characters
        // are replaced one for one, so the cursor stays where it was.
        const int cursor = ui->text_Edit->cursorPosition();
        ui->text_Edit->setText(TextPattern::cleaned(text));
        ui->text_Edit->setCursorPosition(cursor);
        return;
    }

    TextLayout layout;
    layout.text = text;
    layout.family = ui->fontComboBox->currentText();
    layout.fontSizeIndex = ui->Font_size->currentIndex();
    layout.widthFactor = ui->Text_slide->value();
    layout.front = m_window->document()->colour1();
    layout.back = m_window->document()->colour2();
    layout.revH = ui->Text_revH->isChecked();
    layout.revV = ui->Text_revV->isChecked();
    showPattern(renderText(layout), ui->text_View, ViewHeight);
}

void TextTab::rerender()
{
    render(m_window->form()->text_Edit->text());
}

bool TextTab::restore(const QString &params)
{
    TextSettings s = settings();
    if (!PatternParams::readText(params, s))
        return false;
    restore(s);
    return true;
}

void TextTab::restore(const TextSettings &s)
{
    Ui::MainWindow *ui = m_window->form();
    setColours(s.front, s.back);
    {
        const QSignalBlocker b1(ui->fontComboBox);
        const QSignalBlocker b2(ui->Font_size);
        const QSignalBlocker b3(ui->Text_slide);
        const QSignalBlocker b4(ui->Text_revH);
        const QSignalBlocker b5(ui->Text_revV);
        const QSignalBlocker b6(ui->text_Edit);
        // An index from another machine's font list may not exist here:
        // the default font stands in.
        ui->fontComboBox->setCurrentIndex(s.fontIndex < ui->fontComboBox->count() ? s.fontIndex
                                                                                  : -1);
        ui->Font_size->setCurrentIndex(s.fontSizeIndex);
        ui->Text_slide->setValue(s.width);
        ui->Text_revH->setChecked(s.revH);
        ui->Text_revV->setChecked(s.revV);
        ui->text_Edit->setText(s.text);
    }
    refresh();
}

} // namespace vc
