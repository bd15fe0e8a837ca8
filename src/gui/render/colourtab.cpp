#include "gui/render/colourtab.h"

#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "gui/common/prompter.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

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

ColourTab::ColourTab(const ColourWidgets &colours, QGraphicsView *view, int viewHeight, Show *show,
                     QWidget *dialogParent, Lead lead, QObject *parent)
    : QObject(parent), m_show(show), m_dialogParent(dialogParent), m_colours(colours), m_view(view),
      m_viewHeight(viewHeight), m_lead(lead)
{
    // The colours are shared with the rest of the editor: the spin boxes
    // keep showing the edited one whoever changes it. The pattern is drawn
    // again when the tab is entered (refresh), not behind another tab.
    connect(m_show, &Show::coloursChanged, this, [this] { showColour(edited()); });
}

QColor ColourTab::edited() const
{
    return m_colours.back->isChecked() ? m_show->colour2() : m_show->colour1();
}

void ColourTab::setEdited(const QColor &colour)
{
    if (m_colours.back->isChecked())
        m_show->setColour2(colour);
    else
        m_show->setColour1(colour);
}

void ColourTab::sliderChanged(int channel, int value)
{
    m_colours.numbers[channel]->setValue(value);
    if (m_lead == Lead::Sliders) {
        QColor c = edited();
        setChannel(c, channel, value);
        setEdited(c);
        redraw();
    }
}

void ColourTab::numberChanged(int channel, int value)
{
    m_colours.sliders[channel]->setValue(value);
    if (m_lead == Lead::Numbers) {
        QColor c = edited();
        setChannel(c, channel, value);
        setEdited(c);
        redraw();
    }
}

// Puts a colour into the spin boxes and sliders without changing either
// shared colour and without a drawing per channel (the values are the
// edited colour's own).
void ColourTab::showColour(const QColor &colour)
{
    const ColourWidgets &c = m_colours;
    const int values[3] = {colour.red(), colour.green(), colour.blue()};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker blockNumber(c.numbers[i]);
        const QSignalBlocker blockSlider(c.sliders[i]);
        c.numbers[i]->setValue(values[i]);
        c.sliders[i]->setValue(values[i]);
    }
}

void ColourTab::backToggled(bool checked)
{
    showColour(checked ? m_show->colour2() : m_show->colour1());
    redraw();
}

void ColourTab::colourDialog()
{
    const QColor chosen = prompter().color(edited(), m_dialogParent, tr("選擇顏色"));
    if (chosen.isValid()) {
        const QColor target(chosen.red(), chosen.green(), chosen.blue());
        setEdited(target);
        // The spin boxes follow, so that they never show a stale colour.
        showColour(target);
    }
    redraw();
}

void ColourTab::swapColours()
{
    const ColourWidgets &c = m_colours;
    m_show->setColours(m_show->colour2(), m_show->colour1());
    redraw();
    // The other button takes the selection, so the spin boxes keep showing
    // the same colour, now under its new role.
    if (c.front->isChecked())
        c.back->setChecked(true);
    else
        c.front->setChecked(true);
}

void ColourTab::refresh()
{
    m_colours.front->setChecked(true);
    showColour(m_show->colour1());
    redraw();
}

void ColourTab::setColours(const QColor &front, const QColor &back)
{
    m_show->setColours(QColor(front.red(), front.green(), front.blue()),
                       QColor(back.red(), back.green(), back.blue()));
}

void ColourTab::showPattern(const QImage &pattern)
{
    m_pattern = pattern;
    const QPixmap pixmap = QPixmap::fromImage(m_pattern);

    // A new scene per pattern; the previous one goes with it.
    QGraphicsScene *scene = new QGraphicsScene(this);
    if (m_viewHeight == 0)
        scene->addPixmap(pixmap);
    else if (!pixmap.isNull())
        scene->addPixmap(pixmap.scaledToHeight(m_viewHeight, Qt::SmoothTransformation));
    m_view->setScene(scene);
    delete m_scene;
    m_scene = scene;

    m_patternWidth = vc::patternWidth(m_pattern.size(), m_show->leds());
    emit patternChanged(pixmap, m_patternWidth);
}

} // namespace vc
