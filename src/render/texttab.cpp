#include "render/texttab.h"

#include "app/mainwindow.h"
#include "model/editorpanel.h"
#include "app/prompter.h"
#include "model/repeatsuggestion.h"
#include "model/showglobals.h"
#include "render/textpattern.h"
#include "render/textrender.h"
#include "ui_mainwindow.h"

#include <QGraphicsScene>
#include <QSignalBlocker>

namespace vc {

namespace {

void setChannel(QColor &c, int channel, int value)
{
    switch (channel) {
    case 0:
        c.setRed(value);
        break;
    case 1:
        c.setGreen(value);
        break;
    default:
        c.setBlue(value);
        break;
    }
}

// The height the pattern is shown at in the tab's view.
constexpr int ViewHeight = 120;

} // namespace

TextTab::TextTab(MainWindow *window) : QObject(window), m_window(window) {}

QColor &TextTab::edited()
{
    return m_window->form()->text_bcolor->isChecked() ? m_window->colour2() : m_window->colour1();
}

TextSettings TextTab::settings() const
{
    const Ui::MainWindow *ui = m_window->form();
    TextSettings s;
    s.front = m_window->colour1();
    s.back = m_window->colour2();
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
    layout.front = m_window->colour1();
    layout.back = m_window->colour2();
    layout.revH = ui->Text_revH->isChecked();
    layout.revV = ui->Text_revV->isChecked();
    m_pattern = renderText(layout);

    const ShowGlobals &g = globals();
    const QPixmap pixmap = QPixmap::fromImage(m_pattern);
    m_window->glpreview_change(false, pixmap, g.leds, int(g.frameRate), ui->Mode_last->value(),
                               ui->Mode_loop->value());

    QGraphicsScene *scene = new QGraphicsScene(this);
    if (!pixmap.isNull())
        scene->addPixmap(pixmap.scaledToHeight(ViewHeight, Qt::SmoothTransformation));
    ui->text_View->setScene(scene);
    delete m_scene;
    m_scene = scene;

    m_patternWidth = vc::patternWidth(m_pattern.size(), g.leds);
    m_window->editor()->setPatternWidth(m_patternWidth);
    if (ui->speedAutoCheckBox->isChecked())
        ui->Mode_loop->setValue(m_window->editor()->suggestion());
}

void TextTab::rerender()
{
    render(m_window->form()->text_Edit->text());
}

void TextTab::sliderChanged(int channel, int value)
{
    Ui::MainWindow *ui = m_window->form();
    QSpinBox *numbers[3] = {ui->text_rnum, ui->text_gnum, ui->text_bnum};
    numbers[channel]->setValue(value);
    setChannel(edited(), channel, value);
    rerender();
}

void TextTab::numberChanged(int channel, int value)
{
    Ui::MainWindow *ui = m_window->form();
    QSlider *sliders[3] = {ui->text_rslide, ui->text_gslide, ui->text_bslide};
    sliders[channel]->setValue(value);
}

// Puts a colour into the spin boxes and sliders without changing either
// shared colour and without a render per channel.
void TextTab::showColour(const QColor &colour)
{
    Ui::MainWindow *ui = m_window->form();
    QSpinBox *numbers[3] = {ui->text_rnum, ui->text_gnum, ui->text_bnum};
    QSlider *sliders[3] = {ui->text_rslide, ui->text_gslide, ui->text_bslide};
    const int values[3] = {colour.red(), colour.green(), colour.blue()};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker blockNumber(numbers[i]);
        const QSignalBlocker blockSlider(sliders[i]);
        numbers[i]->setValue(values[i]);
        sliders[i]->setValue(values[i]);
    }
}

void TextTab::backToggled(bool checked)
{
    showColour(checked ? m_window->colour2() : m_window->colour1());
    rerender();
}

void TextTab::colourDialog()
{
    QColor &target = edited();
    const QColor chosen = prompter().color(target, m_window, tr("選擇顏色"));
    if (chosen.isValid()) {
        target = QColor(chosen.red(), chosen.green(), chosen.blue());
        showColour(target);
    }
    rerender();
}

void TextTab::swapColours()
{
    Ui::MainWindow *ui = m_window->form();
    std::swap(m_window->colour1(), m_window->colour2());
    rerender();
    if (ui->text_fcolor->isChecked())
        ui->text_bcolor->setChecked(true);
    else
        ui->text_fcolor->setChecked(true);
}

void TextTab::refresh()
{
    m_window->form()->text_fcolor->setChecked(true);
    backToggled(false);
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
    m_window->colour1() = QColor(s.front.red(), s.front.green(), s.front.blue());
    m_window->colour2() = QColor(s.back.red(), s.back.green(), s.back.blue());
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
