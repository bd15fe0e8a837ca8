#pragma once

#include "render/effectgenerator.h"

#include <QImage>
#include <QObject>

class MainWindow;
class QGraphicsScene;

namespace vc {

// The effect tab of the mode editor: its controls, the two shared colours
// and the effect pattern drawn from them. The main window's slots of the
// tab forward here.
class EffectTab : public QObject
{
    Q_OBJECT

public:
    explicit EffectTab(MainWindow *window);

    // Draws effect index from the current controls and hands the pattern on
    // (preview, view, pattern width, repeat count).
    void generate(int index);
    // generate() with the current drop-down entry.
    void regenerate();
    // Hovering a drop-down entry previews it (and selects it).
    void highlighted(int index);

    // channel 0 red, 1 green, 2 blue
    void sliderChanged(int channel, int value);
    void numberChanged(int channel, int value);
    void backToggled(bool checked);
    void colourDialog();
    void swapColours();
    void randomise();

    // Entering the tab (also after a change of the LED count while it is
    // open): edit the front colour and draw the current effect.
    void refresh();

    // Opening an effect mode: sets the colours and every control from the
    // mode's parameter text and draws again. Returns false (and changes
    // nothing) when the text is not an effect's.
    bool restore(const QString &params);
    void restore(const EffectSettings &settings);

    // What the editor needs to write a record.
    EffectSettings settings() const;
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
