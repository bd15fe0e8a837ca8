#pragma once

#include "core/model/modebuilder.h"
#include "core/project/legacyimport.h"

#include <QObject>
#include <QPixmap>
#include <QTime>

class MainWindow;
class TimelineItem;

namespace vc {

// The mode editor panel: times, repeat count and speed, the colour tab, the
// tab refresh, and writing the panel into a mode (insert, or apply to the
// selected mode) and reading a mode back into it.
class EditorPanel : public QObject
{
    Q_OBJECT
public:
    explicit EditorPanel(MainWindow *window);

    // The repeat count that fits the pattern into the panel's duration at the
    // chosen speed (clamped to the repeat-count range).
    int suggestion() const;
    // Width W of the pattern drawn last (by whichever tab) at the LED
    // count's height: the divisor of the suggestion. The colour tab draws no
    // pattern and leaves it as it is.
    int patternWidth() const { return m_patternWidth; }
    void setPatternWidth(int w) { m_patternWidth = w; }
    // Mode_loop = the suggestion, without the change signal, when automatic.
    void updateLoopSilently();

    // Insert a new mode on the current track, or apply the panel to the
    // selected mode.
    void insertOrApply();
    // Reads a selected mode back into the panel.
    void openItem(TimelineItem *item);
    // Leaves apply mode.
    void cancelSelect();

    // Form slots.
    void startChanged(const QTime &t);
    void endChanged(const QTime &t);
    void durationChanged(double seconds);
    void loopChanged(int value);
    void speedChanged(int value);
    void autoToggled(bool checked);
    void tabChanged(int index);
    void colourChannelChanged(int channel, int value); // spin box of R (0), G (1), B (2)
    void colourSliderChanged(int channel, int value);
    void colourDialog();

    // The panel and its tabs as an old project's lines are read against
    // them, and the panel showing what an import left in it.
    LegacyPanelState legacyState() const;
    void showLegacyState(const LegacyPanelState &state);

    // Hands the current tab's pattern to the preview.
    void previewCurrentTab();
    // The current tab's pattern (colour: an 80 x 80 square of colour 1).
    QPixmap currentPattern() const;

private:
    // What the panel and the tabs hold, as the mode builder takes it.
    ModeSettings modeSettings() const;
    void refreshColourTab();
    void setColourViewStyle(bool fromDialog);

    MainWindow *m_window;
    int m_patternWidth = 0;
};

} // namespace vc
