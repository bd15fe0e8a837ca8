#pragma once

#include <QObject>
#include <functional>

class QScrollArea;
class QScrollBar;
class QSlider;
class QSpacerItem;
class QSplitter;
class QWidget;
class TimelineHeaders;

namespace vc {

class Playback;
class SongLoader;
class TimeAxis;

// Zoom and scrolling of the time axis: the zoom slider sets the timeline
// scale, and the ruler, the indicator, the tracks and the waveform follow;
// the wheel and the vertical scroll bar move the track area.
class TimelineView : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QSlider *scaler = nullptr;          // timeline_scaler
        TimelineHeaders *ruler = nullptr;   // timeline_headers
        QScrollArea *scroll = nullptr;      // timeline_scroll (horizontal)
        QScrollArea *tracks = nullptr;      // timeline_scroll_2
        QScrollArea *rowHeader = nullptr;   // timeline_rowheader
        QScrollBar *verticalBar = nullptr;  // timeline_vertical_scrollbar
        QSplitter *splitter = nullptr;      // timeline_splitter
        QSpacerItem *audioSpacer = nullptr; // audio_spacer
        QWidget *rowHeaderColumn = nullptr; // the widget whose layout holds audio_spacer
    };

    // `axis` is the zoom this view sets; the ruler, tracks and waveform
    // are laid out at it.
    TimelineView(const Widgets &widgets, TimeAxis *axis, Playback *playback, SongLoader *song,
                 QObject *parent = nullptr);

    void zoom(int sliderValue);
    void scrolled(int delta, bool ctrl);
    void verticalRangeChanged(int min, int max);
    void splitterMoved(int pos, int index);

    // Sizes the spacers of the row-label column so that its label area
    // spans exactly the height of the track area: the labels then stay
    // level with their tracks whatever the window, splitter or scroll bar
    // heights are.
    void alignRowLabels();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void flushLayout();

    Widgets m_w;
    Playback *m_playback = nullptr;
    SongLoader *m_song = nullptr;
    TimeAxis *m_axis = nullptr;
};

} // namespace vc
