#include "gui/render/colourtab.h"

#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "gui/model/editorpanel.h"
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

} // namespace

ColourTab::ColourTab(MainWindow *window, Lead lead)
    : QObject(window), m_window(window), m_lead(lead)
{
}

QColor ColourTab::edited() const
{
    const Show *show = m_window->document();
    return controls().back->isChecked() ? show->colour2() : show->colour1();
}

void ColourTab::setEdited(const QColor &colour)
{
    if (controls().back->isChecked())
        m_window->document()->setColour2(colour);
    else
        m_window->document()->setColour1(colour);
}

void ColourTab::sliderChanged(int channel, int value)
{
    controls().numbers[channel]->setValue(value);
    if (m_lead == Lead::Sliders) {
        QColor c = edited();
        setChannel(c, channel, value);
        setEdited(c);
        redraw();
    }
}

void ColourTab::numberChanged(int channel, int value)
{
    controls().sliders[channel]->setValue(value);
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
    const Controls c = controls();
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
    const Show *show = m_window->document();
    showColour(checked ? show->colour2() : show->colour1());
    redraw();
}

void ColourTab::colourDialog()
{
    const QColor chosen = prompter().color(edited(), m_window, tr("選擇顏色"));
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
    const Controls c = controls();
    Show *show = m_window->document();
    show->setColours(show->colour2(), show->colour1());
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
    controls().front->setChecked(true);
    showColour(m_window->document()->colour1());
    redraw();
}

void ColourTab::setColours(const QColor &front, const QColor &back)
{
    m_window->document()->setColours(QColor(front.red(), front.green(), front.blue()),
                                     QColor(back.red(), back.green(), back.blue()));
}

void ColourTab::showPattern(const QImage &pattern, QGraphicsView *view, int viewHeight)
{
    Ui::MainWindow *ui = m_window->form();
    m_pattern = pattern;

    const Show *show = m_window->document();
    const QPixmap pixmap = QPixmap::fromImage(m_pattern);
    m_window->glpreview_change(false, pixmap, show->leds(), int(show->frameRate()),
                               ui->Mode_last->value(), ui->Mode_loop->value());

    // A new scene per pattern; the previous one goes with it.
    QGraphicsScene *scene = new QGraphicsScene(this);
    if (viewHeight == 0)
        scene->addPixmap(pixmap);
    else if (!pixmap.isNull())
        scene->addPixmap(pixmap.scaledToHeight(viewHeight, Qt::SmoothTransformation));
    view->setScene(scene);
    delete m_scene;
    m_scene = scene;

    m_patternWidth = vc::patternWidth(m_pattern.size(), show->leds());
    m_window->editor()->setPatternWidth(m_patternWidth);
    if (ui->speedAutoCheckBox->isChecked())
        ui->Mode_loop->setValue(m_window->editor()->suggestion());
}

} // namespace vc
