#pragma once

#include "core/audio/beatgrid.h"

#include "core/model/show.h"

#include <QObject>
#include <QVector>

#include <functional>

class ChartView;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QTimer;
class TimelineHeaders;

namespace vc {

class Project;

// The beat grid a designer corrects: the one stored with the project, or
// else the one found in the song. It is drawn on the ruler with its bars
// and across the waveform, with the tempo at the play position beside the
// song's time. Every correction is one undoable step of the project; the
// stored grid is what the project saves, and a reset takes it away so that
// the beats come from the song again.
class BeatCorrections : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        TimelineHeaders *ruler = nullptr;
        ChartView *waveform = nullptr;
        QLabel *tempo = nullptr;
    };
    BeatCorrections(const Widgets &widgets, Project *project, QObject *parent = nullptr);

    // The beats found in the song (empty when there is none).
    void setFound(const SongBeats &beats);
    // The grid shown: the stored one, or the found one.
    BeatGrid grid() const;
    bool isCorrected() const;

    void halve();
    void doubleTempo();
    void setBarStartAt(qint64 ms);
    void setMeter(int meter);
    // Moves the beats from fromMs on (all of them when onlyLater is off).
    void shift(qint64 fromMs, qint64 deltaMs, bool onlyLater);
    // A tap along with the song at ms. Taps close together make one tempo;
    // a pause of two seconds ends them, and four or more set the grid.
    void tap(qint64 ms);
    void finishTapping();
    void reset();

    // The mode laying on the beat starts from: the selected one (0: none).
    void setSelectedMode(std::function<Show::Id()> selected) { m_selected = std::move(selected); }
    // The selected mode and the ones after it on its track, one after
    // another on the grid, each `units` beats long (0: to the next bar).
    void fitToBeats(int units);
    // The selected mode cut into one mode per `units` beats (0: per bar);
    // with `alternate`, every other one plays the pattern of the next mode
    // on its track.
    void splitAtBeats(int units, bool alternate = false);

    // The Beats menu's entries, for the menu bar and the ruler's menu;
    // "bar starts here" acts at atMs, or at the play position when it is
    // negative.
    void fillMenu(QMenu *menu, qint64 atMs = -1);
    // Taps at the play position; its key works while the song plays.
    QAction *tapAction() const { return m_tapAction; }

signals:
    // The grid shown changed (found, corrected, undone, loaded).
    void gridShown(const vc::BeatGrid &grid);
    // Modes were laid out on the beat (the selected one may be gone).
    void modesLaidOut();

private:
    // The mode after the selected one on its track, or null.
    const Show::Mode *nextMode() const;
    void store(const BeatGrid &grid);
    void refresh();
    void showTempo();
    qint64 playMs() const;

    Widgets m_w;
    Project *m_project = nullptr;
    BeatGrid m_found;
    QVector<int> m_foundMs; // as found, unrounded by the grid
    BeatGrid m_shown;
    QVector<double> m_taps;
    QTimer *m_tapTimer = nullptr;
    QAction *m_tapAction = nullptr;
    std::function<Show::Id()> m_selected;
    double m_shownTempo = -1;
};

} // namespace vc
