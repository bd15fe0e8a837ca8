#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>

class QGraphicsScene;
class QGraphicsView;
class QRadioButton;
class QSlider;
class QSpinBox;
class QWidget;

namespace vc {

class Show;

// What the effect and the text tab of the mode editor have in common: the
// show's two colours, edited one at a time through a front/back choice,
// three spin boxes and three sliders, and the pattern drawn from them,
// shown in the tab's own view and announced to whoever plays it. The
// controls' change signals are forwarded here by the owner of the widgets.
class ColourTab : public QObject
{
    Q_OBJECT

public:
    // The colour widgets of one tab.
    struct ColourWidgets
    {
        QRadioButton *front = nullptr; // colour 1 is edited
        QRadioButton *back = nullptr;  // colour 2 is edited
        QSpinBox *numbers[3] = {};     // red, green, blue
        QSlider *sliders[3] = {};
    };

    // channel 0 red, 1 green, 2 blue
    void sliderChanged(int channel, int value);
    void numberChanged(int channel, int value);
    void backToggled(bool checked);
    void colourDialog();
    void swapColours();

    // Entering the tab (also after a change of the LED count while it is
    // open): edit the front colour and draw again.
    void refresh();

    QImage pattern() const { return m_pattern; }
    int patternWidth() const { return m_patternWidth; }

signals:
    // A new pattern was drawn; width is its W at the LED count's height
    // (the divisor of the repeat-count suggestion).
    void patternChanged(const QPixmap &pattern, int width);

protected:
    // Which row of a channel changes the edited colour; the other row only
    // follows it (and its own change signal comes back through the leading
    // row without effect).
    enum class Lead
    {
        Numbers,
        Sliders
    };

    // The pattern is shown in view, scaled to viewHeight unless that is 0.
    // The colour dialog opens over dialogParent.
    ColourTab(const ColourWidgets &colours, QGraphicsView *view, int viewHeight, Show *show,
              QWidget *dialogParent, Lead lead, QObject *parent);

    // Draws the pattern again from the current controls.
    virtual void redraw() = 0;

    // Takes the colours of a stored mode, without their alpha.
    void setColours(const QColor &front, const QColor &back);
    // Keeps a newly drawn pattern, shows it in the tab's view and announces it.
    void showPattern(const QImage &pattern);

    Show *const m_show;
    QWidget *const m_dialogParent;

private:
    // The colour the front/back choice edits, and setting it in the show.
    QColor edited() const;
    void setEdited(const QColor &colour);
    void showColour(const QColor &colour);

    const ColourWidgets m_colours;
    QGraphicsView *const m_view;
    const int m_viewHeight;
    const Lead m_lead;
    QImage m_pattern;
    int m_patternWidth = 0;
    QGraphicsScene *m_scene = nullptr;
};

} // namespace vc
