#include "gui/render/effecttab.h"

#include "core/model/patternparams.h"
#include "core/model/show.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QSpinBox>

namespace vc {

EffectTab::EffectTab(const Widgets &widgets, Show *show, QRandomGenerator *random,
                     QWidget *dialogParent, QObject *parent)
    : ColourTab(widgets.colours, widgets.view, 0, show, dialogParent, Lead::Numbers, parent),
      m_widgets(widgets), m_random(random)
{
}

EffectSettings EffectTab::settings() const
{
    EffectSettings s;
    s.effect = m_widgets.effect->currentIndex();
    s.front = m_show->colour1();
    s.back = m_show->colour2();
    s.width = m_widgets.width->value();
    s.scheme = int(m_widgets.scheme->checkState());
    s.revH = m_widgets.revH->isChecked();
    s.revV = m_widgets.revV->isChecked();
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
    showPattern(EffectGenerator::generate(s));
}

void EffectTab::regenerate()
{
    generate(m_widgets.effect->currentIndex());
}

void EffectTab::highlighted(int index)
{
    generate(index);
    m_widgets.effect->setCurrentIndex(index);
}

void EffectTab::randomise()
{
    // Drawn in this order, whatever order they are applied in: a seeded
    // generator gives the same effect as ever.
    QRandomGenerator &rnd = *m_random;
    const int width = int(rnd.bounded(10u)) + 1;
    const auto scheme = Qt::CheckState(rnd.bounded(3u));
    const bool revH = rnd.bounded(2u) != 0;
    const bool revV = rnd.bounded(2u) != 0;
    const int blue = int(rnd.bounded(256u));
    const int green = int(rnd.bounded(256u));
    const int red = int(rnd.bounded(256u));
    int front[3];
    for (int &channel : front)
        channel = int(rnd.bounded(256u));
    const int effect = int(rnd.bounded(quint32(m_widgets.effect->count())));
    const int speed = int(rnd.bounded(17u)) + 2;

    emit randomSpeed(speed);
    const ColourWidgets &c = m_widgets.colours;
    m_widgets.width->setValue(width);
    m_widgets.scheme->setCheckState(scheme);
    c.front->toggle(); // a checked radio button stays checked: front is edited
    m_widgets.revH->setChecked(revH);
    m_widgets.revV->setChecked(revV);
    m_show->setColour2(QColor(red, green, blue));
    for (int i = 0; i < 3; ++i)
        c.numbers[i]->setValue(front[i]);
    m_widgets.effect->setCurrentIndex(effect);
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
    const Widgets &w = m_widgets;
    setColours(s.front, s.back);
    {
        const QSignalBlocker b1(w.effect);
        const QSignalBlocker b2(w.width);
        const QSignalBlocker b3(w.scheme);
        const QSignalBlocker b4(w.revH);
        const QSignalBlocker b5(w.revV);
        w.effect->setCurrentIndex(s.effect);
        if (s.scheme >= 0 && s.scheme <= 2)
            w.scheme->setCheckState(Qt::CheckState(s.scheme));
        w.width->setValue(s.width);
        w.revH->setChecked(s.revH);
        w.revV->setChecked(s.revV);
    }
    refresh();
}

} // namespace vc
