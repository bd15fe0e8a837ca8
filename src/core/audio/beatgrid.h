#pragma once

#include "core/audio/beattracker.h"

#include <QJsonObject>
#include <QString>
#include <QVector>
#include <QtGlobal>

namespace vc {

// The beats of a song as stretches of steady tempo, grouped into bars: the
// meter (beats per bar) and which beat starts the first bar. Beats are
// counted across all stretches, so a bar may run over a tempo change.
//
// Corrections are pure: each returns a new grid and leaves this one as it
// is, so an editor can store the result as one step.
class BeatGrid
{
public:
    // Beats at start + k x period, k = 0 .. count - 1 (ms).
    struct Stretch
    {
        double start = 0;
        double period = 0;
        int count = 0;
        double at(int k) const { return start + k * period; }
        double last() const { return at(count - 1); }
        bool operator==(const Stretch &o) const
        {
            return start == o.start && period == o.period && count == o.count;
        }
    };

    static constexpr int Meters[] = {2, 3, 4, 6};
    static bool isMeter(int meter);

    BeatGrid() = default;
    // Beat times (ms, ascending) split into steady stretches.
    static BeatGrid fromTimes(const QVector<double> &ms, int meter = 4, int downbeat = 0);
    static BeatGrid fromSong(const SongBeats &beats);

    bool isEmpty() const { return m_stretches.isEmpty(); }
    const QVector<Stretch> &stretches() const { return m_stretches; }
    int meter() const { return m_meter; }
    // Index of the first beat that starts a bar, 0 .. meter - 1; the beats
    // before it are a lead-in.
    int downbeat() const { return m_downbeat; }
    int beatCount() const;
    QVector<double> times() const;
    // Rounded to whole ms, as the ruler and the snapping take them.
    QVector<int> beats() const;
    // The bar number (from 1) of beat i when it starts a bar, else 0.
    int barOf(int i) const;
    // The tempo (BPM) of the stretch playing at ms; 0 without beats.
    double tempoAt(double ms) const;
    // Index of the beat nearest ms, or -1 without beats.
    int nearestBeat(double ms) const;
    // The beats as the rest of the editor takes them; the tempo is the
    // first stretch's.
    SongBeats toSongBeats() const;

    // ---------------------------------------------------------- corrections
    // Every second beat, keeping the bars' first beats.
    BeatGrid halved() const;
    // A beat between every two.
    BeatGrid doubled() const;
    // Moves the beats at or after fromMs (all of them by default) by
    // deltaMs; earlier beats the moved ones run into go.
    BeatGrid shifted(double deltaMs, double fromMs = -1e300) const;
    // The beat nearest ms starts a bar.
    BeatGrid withDownbeatAt(double ms) const;
    // Another meter; the first bar starts where it did.
    BeatGrid withMeter(int meter) const;
    // One steady tempo from taps (ms, ascending, at least four): their mean
    // interval, placed where the taps fall on average, the first tap
    // starting a bar. The grid spans [fromMs, toMs]. Empty when the taps
    // give no tempo (too few, or beyond 30..300 BPM).
    static BeatGrid tapped(const QVector<double> &taps, double fromMs, double toMs, int meter);

    // ---------------------------------------------------------- storage
    QJsonObject toJson() const;
    // False (with a reason) for what is no grid; *grid is left as it was.
    static bool fromJson(const QJsonObject &json, BeatGrid *grid, QString *error = nullptr);

    bool operator==(const BeatGrid &o) const
    {
        return m_stretches == o.m_stretches && m_meter == o.m_meter && m_downbeat == o.m_downbeat;
    }
    bool operator!=(const BeatGrid &o) const { return !(*this == o); }

private:
    // Times with whether each starts a bar: corrections work on these and
    // build the grid again.
    struct Flat
    {
        QVector<double> t;
        QVector<bool> down;
    };
    Flat flat() const;
    BeatGrid rebuilt(const Flat &f) const;

    QVector<Stretch> m_stretches;
    int m_meter = 4;
    int m_downbeat = 0;
};

} // namespace vc
