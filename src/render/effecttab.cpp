#include "render/effecttab.h"

#include "app/mainwindow.h"
#include "model/editorpanel.h"
#include "app/prompter.h"
#include "model/repeatsuggestion.h"
#include "model/showglobals.h"
#include "render/patternparams.h"
#include "ui_mainwindow.h"

#include <QGraphicsScene>
#include <QRandomGenerator>
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

} // namespace

EffectTab::EffectTab(MainWindow *window) : QObject(window), m_window(window) {}

QColor &EffectTab::edited()
{
    return m_window->form()->Spe_back->isChecked() ? m_window->colour2() : m_window->colour1();
}

EffectSettings EffectTab::settings() const
{
    const Ui::MainWindow *ui = m_window->form();
    EffectSettings s;
    s.effect = ui->Spe_comboBox->currentIndex();
    s.front = m_window->colour1();
    s.back = m_window->colour2();
    s.width = ui->Spe_width->value();
    s.scheme = int(ui->Spe_color3->checkState());
    s.revH = ui->Spe_revH->isChecked();
    s.revV = ui->Spe_revV->isChecked();
    return s;
}

QString EffectTab::params(int loops) const
{
    return PatternParams::effectText(settings(), loops);
}

void EffectTab::generate(int index)
{
    Ui::MainWindow *ui = m_window->form();
    EffectSettings s = settings();
    s.effect = index;
    m_pattern = EffectGenerator::generate(s);

    const ShowGlobals &g = globals();
    const QPixmap pixmap = QPixmap::fromImage(m_pattern);
    m_window->glpreview_change(false, pixmap, g.leds, int(g.frameRate), ui->Mode_last->value(),
                               ui->Mode_loop->value());

    // A new scene per pattern; the previous one goes with it.
    QGraphicsScene *scene = new QGraphicsScene(this);
    scene->addPixmap(pixmap);
    ui->Spe_show->setScene(scene);
    delete m_scene;
    m_scene = scene;

    m_patternWidth = vc::patternWidth(m_pattern.size(), g.leds);
    m_window->editor()->setPatternWidth(m_patternWidth);
    if (ui->speedAutoCheckBox->isChecked())
        ui->Mode_loop->setValue(m_window->editor()->suggestion());
}

void EffectTab::regenerate()
{
    generate(m_window->form()->Spe_comboBox->currentIndex());
}

void EffectTab::highlighted(int index)
{
    generate(index);
    m_window->form()->Spe_comboBox->setCurrentIndex(index);
}

void EffectTab::sliderChanged(int channel, int value)
{
    Ui::MainWindow *ui = m_window->form();
    QSpinBox *numbers[3] = {ui->Spe_rnum, ui->Spe_gnum, ui->Spe_bnum};
    numbers[channel]->setValue(value);
}

void EffectTab::numberChanged(int channel, int value)
{
    Ui::MainWindow *ui = m_window->form();
    QSlider *sliders[3] = {ui->Spe_rslide, ui->Spe_gslide, ui->Spe_bslide};
    sliders[channel]->setValue(value);
    setChannel(edited(), channel, value);
    regenerate();
}

// Puts a colour into the spin boxes and sliders without changing either
// shared colour (the values are the edited colour's own).
void EffectTab::showColour(const QColor &colour)
{
    Ui::MainWindow *ui = m_window->form();
    QSpinBox *numbers[3] = {ui->Spe_rnum, ui->Spe_gnum, ui->Spe_bnum};
    QSlider *sliders[3] = {ui->Spe_rslide, ui->Spe_gslide, ui->Spe_bslide};
    const int values[3] = {colour.red(), colour.green(), colour.blue()};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker blockNumber(numbers[i]);
        const QSignalBlocker blockSlider(sliders[i]);
        numbers[i]->setValue(values[i]);
        sliders[i]->setValue(values[i]);
    }
}

void EffectTab::backToggled(bool checked)
{
    showColour(checked ? m_window->colour2() : m_window->colour1());
    regenerate();
}

void EffectTab::colourDialog()
{
    QColor &target = edited();
    const QColor chosen = prompter().color(target, m_window, tr("選擇顏色"));
    if (chosen.isValid()) {
        target = QColor(chosen.red(), chosen.green(), chosen.blue());
        // The spin boxes follow, so that they never show a stale colour.
        showColour(target);
    }
    regenerate();
}

void EffectTab::swapColours()
{
    Ui::MainWindow *ui = m_window->form();
    std::swap(m_window->colour1(), m_window->colour2());
    regenerate();
    // The other button takes the selection, so the spin boxes keep showing
    // the same colour, now under its new role.
    if (ui->Spe_front->isChecked())
        ui->Spe_back->setChecked(true);
    else
        ui->Spe_front->setChecked(true);
}

void EffectTab::randomise()
{
    Ui::MainWindow *ui = m_window->form();
    QRandomGenerator &rnd = m_window->random();
    ui->speedAutoCheckBox->setChecked(true);
    ui->Spe_width->setValue(int(rnd.bounded(10u)) + 1);
    ui->Spe_color3->setCheckState(Qt::CheckState(rnd.bounded(3u)));
    ui->Spe_front->toggle(); // a checked radio button stays checked: front is edited
    ui->Spe_revH->setChecked(rnd.bounded(2u) != 0);
    ui->Spe_revV->setChecked(rnd.bounded(2u) != 0);
    const int blue = int(rnd.bounded(256u));
    const int green = int(rnd.bounded(256u));
    const int red = int(rnd.bounded(256u));
    m_window->colour2() = QColor(red, green, blue);
    ui->Spe_rnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_gnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_bnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_comboBox->setCurrentIndex(int(rnd.bounded(quint32(ui->Spe_comboBox->count()))));
    ui->Speed_slide->setValue(int(rnd.bounded(17u)) + 2);
    // The drawing so far may predate the new background: draw once more.
    regenerate();
}

void EffectTab::refresh()
{
    m_window->form()->Spe_front->setChecked(true);
    showColour(m_window->colour1());
    regenerate();
}

bool EffectTab::restore(const QString &params)
{
    EffectSettings s = settings();
    if (!PatternParams::readEffect(params, s))
        return false;
    restore(s);
    return true;
}

void EffectTab::restore(const EffectSettings &s)
{
    Ui::MainWindow *ui = m_window->form();
    m_window->colour1() = QColor(s.front.red(), s.front.green(), s.front.blue());
    m_window->colour2() = QColor(s.back.red(), s.back.green(), s.back.blue());
    {
        const QSignalBlocker b1(ui->Spe_comboBox);
        const QSignalBlocker b2(ui->Spe_width);
        const QSignalBlocker b3(ui->Spe_color3);
        const QSignalBlocker b4(ui->Spe_revH);
        const QSignalBlocker b5(ui->Spe_revV);
        ui->Spe_comboBox->setCurrentIndex(s.effect);
        if (s.scheme >= 0 && s.scheme <= 2)
            ui->Spe_color3->setCheckState(Qt::CheckState(s.scheme));
        ui->Spe_width->setValue(s.width);
        ui->Spe_revH->setChecked(s.revH);
        ui->Spe_revV->setChecked(s.revV);
    }
    refresh();
}

} // namespace vc
