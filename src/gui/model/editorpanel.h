#pragma once

#include "core/model/modebuilder.h"
#include "core/project/legacyimport.h"
#include "core/project/project.h"

#include <QColor>
#include <QObject>
#include <QPair>
#include <QPixmap>
#include <QSet>
#include <QTime>
#include <QVector>

#include <memory>

class QAbstractButton;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class TimelineItem;

namespace vc {

class EffectTab;
class PictureFolder;
class PictureTab;
class Show;
class TextTab;
class TracksController;

// The mode editor panel: times, repeat count and speed, the colour tab, the
// tab refresh, and writing the panel into a mode (insert, or apply to the
// selected mode) and reading a mode back into it.
class EditorPanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QTimeEdit *start = nullptr;              // Mode_t1
        QTimeEdit *end = nullptr;                // Mode_t2
        QDoubleSpinBox *duration = nullptr;      // Mode_last: seconds
        QSpinBox *loops = nullptr;               // Mode_loop: the repeat count
        QSlider *speed = nullptr;                // Speed_slide
        QCheckBox *automatic = nullptr;          // speedAutoCheckBox: loops follow the speed
        QWidget *speedBox = nullptr;             // Speed_Slide_Box: shown while automatic
        QTabWidget *kinds = nullptr;             // Mode_Pic: one page per ModeKind
        QAbstractButton *insert = nullptr;       // Add_Button: insert, or apply
        QAbstractButton *cancelSelect = nullptr; // cancelSelect: leaves apply mode
        // The colour tab: Color_R/G/B and R/G/B_slide, and the swatch
        // Color_View that opens the colour dialog.
        QSpinBox *colourNumbers[3] = {};
        QSlider *colourSliders[3] = {};
        QAbstractButton *colourView = nullptr;
        // The picture tab's settings that a mode stores (the picture tab
        // draws them; the panel writes and reads them back).
        QLabel *picturePath = nullptr;    // PicDir
        QSlider *pictureGap = nullptr;    // Pic_Slide
        QCheckBox *pictureRevH = nullptr; // Pic_revH
        QCheckBox *pictureRevV = nullptr; // Pic_revV
        // timeline_scroll: a new mode is scrolled into view. Optional.
        QScrollArea *tracksScroll = nullptr;
    };

    struct Tabs
    {
        PictureTab *picture = nullptr;
        TextTab *text = nullptr;
        EffectTab *effect = nullptr;
    };

    // Modes are built for the show's prop and go onto its tracks through
    // tracks (the current track, or the selected mode in apply mode). The
    // tabs' new patterns fit the repeat count and are previewed through the
    // panel (previewPattern). The replacement of a missing picture starts at
    // folder; questions and dialogs open over dialogParent.
    EditorPanel(const Widgets &widgets, Show *show, TracksController *tracks, const Tabs &tabs,
                const PictureFolder *folder, QWidget *dialogParent, QObject *parent = nullptr);

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
    // Makes the repeat count follow a speed (automatic on, the slider at
    // speed, the count suggested again even when the slider stood there).
    void followSpeed(int speed);

    // Insert a new mode on the current track, or apply the panel to the
    // selected mode. False when there was nothing to write.
    bool insertOrApply();
    // Reads a selected mode back into the panel.
    void openItem(TimelineItem *item);
    // Leaves apply mode.
    void cancelSelect();
    // Another project came: its modes are asked about afresh.
    void startProject();

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

signals:
    // The preview is to play a pattern for seconds with loops repeats.
    void previewPattern(const QPixmap &pattern, double seconds, int loops);
    // The preview is to show one opaque colour.
    void previewColour(const QColor &colour);
    // A mode was inserted: the play indicator is to stand at its end.
    void indicatorMoveRequested(int ms);
    // A message for the status bar.
    void status(const QString &text);

private:
    // Several pictures opened at once become new modes one after another,
    // each in the first free time of one track from where the run starts
    // (the end of the selected mode, which stays as it was, or the panel's
    // start), so that none takes an existing mode away. The run is one
    // editing step, and the status bar says where the modes went.
    void startInsertRun();
    void insertInRun();
    void finishInsertRun();
    // A tab drew a new pattern: the repeat count fits it first, then the
    // preview plays it with that count.
    void patternDrawn(const QPixmap &pattern, int width);
    // Offers to replace a mode's missing picture, once per mode. True when
    // the mode now names a picture that the tab has loaded.
    bool replaceMissingPicture(TimelineItem *item);
    // What the panel and the tabs hold, as the mode builder takes it.
    ModeSettings modeSettings() const;
    void refreshColourTab();
    void setColourViewStyle(bool fromDialog);
    void previewColour1();

    const Widgets m_w;
    Show *const m_show;
    TracksController *const m_tracks;
    const Tabs m_tabs;
    const PictureFolder *const m_folder;
    QWidget *const m_dialogParent;
    int m_patternWidth = 0;
    struct InsertRun
    {
        bool active = false;
        int from = 0;                    // no mode of the run starts earlier
        QVector<QPair<int, int>> placed; // start and end of each new mode
    };
    InsertRun m_run;
    // The modes of a run are one undo step.
    std::unique_ptr<Project::Edit> m_runStep;
    // Modes whose missing picture was asked about.
    QSet<quintptr> m_askedMissing;
};

} // namespace vc
