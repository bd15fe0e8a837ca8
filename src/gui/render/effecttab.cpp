#include "gui/render/effecttab.h"

#include "core/model/show.h"
#include "core/render/patternparams.h"
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QRandomGenerator>
#include <QSignalBlocker>

namespace vc {

EffectTab::EffectTab(MainWindow *window) : ColourTab(window, Lead::Numbers) {}

ColourTab::Controls EffectTab::controls() const
{
    const Ui::MainWindow *ui = m_window->form();
    return {ui->Spe_front,
            ui->Spe_back,
            {ui->Spe_rnum, ui->Spe_gnum, ui->Spe_bnum},
            {ui->Spe_rslide, ui->Spe_gslide, ui->Spe_bslide}};
}

EffectSettings EffectTab::settings() const
{
    const Ui::MainWindow *ui = m_window->form();
    EffectSettings s;
    s.effect = ui->Spe_comboBox->currentIndex();
    s.front = m_window->document()->colour1();
    s.back = m_window->document()->colour2();
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
    EffectSettings s = settings();
    s.effect = index;
    showPattern(EffectGenerator::generate(s), m_window->form()->Spe_show);
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
    m_window->document()->setColour2(QColor(red, green, blue));
    ui->Spe_rnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_gnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_bnum->setValue(int(rnd.bounded(256u)));
    ui->Spe_comboBox->setCurrentIndex(int(rnd.bounded(quint32(ui->Spe_comboBox->count()))));
    ui->Speed_slide->setValue(int(rnd.bounded(17u)) + 2);
    // The drawing so far may predate the new background: draw once more.
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
    setColours(s.front, s.back);
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
