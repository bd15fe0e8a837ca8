#pragma once

#include <QImage>
#include <QObject>

class MainWindow;
class QGraphicsScene;
class QGraphicsView;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace vc {

// What the effect and the text tab of the mode editor have in common: the
// two shared colours, edited one at a time through a front/back choice,
// three spin boxes and three sliders, and the pattern drawn from them,
// handed to the preview and shown in the tab's own view. The main window's
// slots of the tab forward here.
class ColourTab : public QObject
{
    Q_OBJECT

public:
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

protected:
    // The colour widgets of one tab.
    struct Controls
    {
        QRadioButton *front;
        QRadioButton *back;
        QSpinBox *numbers[3];
        QSlider *sliders[3];
    };
    // Which row of a channel changes the edited colour; the other row only
    // follows it (and its own change signal comes back through the leading
    // row without effect).
    enum class Lead
    {
        Numbers,
        Sliders
    };

    ColourTab(MainWindow *window, Lead lead);

    virtual Controls controls() const = 0;
    // Draws the pattern again from the current controls.
    virtual void redraw() = 0;

    // Takes the colours of a stored mode, without their alpha.
    void setColours(const QColor &front, const QColor &back);
    // Keeps a newly drawn pattern and hands it on: the preview, the tab's
    // view (scaled to viewHeight unless that is 0), the pattern width and,
    // when the repeat count is automatic, the suggested repeat count.
    void showPattern(const QImage &pattern, QGraphicsView *view, int viewHeight = 0);

    MainWindow *m_window;

private:
    // The colour the front/back choice edits, and setting it in the show.
    QColor edited() const;
    void setEdited(const QColor &colour);
    void showColour(const QColor &colour);

    const Lead m_lead;
    QImage m_pattern;
    int m_patternWidth = 0;
    QGraphicsScene *m_scene = nullptr;
};

} // namespace vc
