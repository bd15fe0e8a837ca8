#pragma once

#include "render/patternparams.h"

#include <QImage>
#include <QObject>

class MainWindow;
class QGraphicsScene;

namespace vc {

// The text tab of the mode editor: a line of text laid out in a chosen
// font, size and width, in colour 1 on colour 2. The main window's slots
// of the tab forward here.
class TextTab : public QObject
{
    Q_OBJECT

public:
    explicit TextTab(MainWindow *window);

    // Renders text (cleaning it of the reserved characters first) and hands
    // the pattern on (preview, view, pattern width, repeat count).
    void render(const QString &text);
    // render() with the text of the edit.
    void rerender();

    // channel 0 red, 1 green, 2 blue
    void sliderChanged(int channel, int value);
    void numberChanged(int channel, int value);
    void backToggled(bool checked);
    void colourDialog();
    void swapColours();

    // Entering the tab (also after a change of the LED count while it is
    // open): edit the text colour and render.
    void refresh();

    // Opening a text mode: sets the colours and every control from the
    // mode's parameter text and renders again. Returns false (and changes
    // nothing) when the text is not a text mode's.
    bool restore(const QString &params);
    void restore(const TextSettings &settings);

    // What the editor needs to write a record.
    TextSettings settings() const;
    QString params(int loops) const;
    QImage pattern() const { return m_pattern; }
    int patternWidth() const { return m_patternWidth; }

private:
    QColor &edited();
    void showColour(const QColor &colour);

    MainWindow *m_window;
    QImage m_pattern;
    int m_patternWidth = 0;
    QGraphicsScene *m_scene = nullptr;
};

} // namespace vc
