#pragma once

#include "core/audio/beattracker.h"

#include <QVector>

namespace vc::beats {

// How the beats group into bars.
struct Meter
{
    int meter = 4;    // beats per bar: 2, 3, 4 or 6
    int downbeat = 0; // index of the first beat that starts a bar
};

// The meter a song's bars have, from where the low band's energy falls:
// the bass and the kick drum mark the first beat of a bar more than the
// others. `low` holds that energy for every hop of `hopSeconds`, the first
// hop ending at hopSeconds; `beats` are ms, ascending. Without accents to
// tell (too few beats, or all alike) the bars are of four, from the first
// beat.
Meter findMeter(const QVector<int> &beats, const QVector<float> &low, double hopSeconds);

// The pulse a listener taps where the bass and the onsets disagree: beats
// that fall between the bass notes move onto them, and above 140 BPM a
// grid whose every other beat carries the bass keeps only those (the
// slower pulse, with the louder clicks as off-beats). `low` as for
// findMeter.
SongBeats followBass(const SongBeats &beats, const QVector<float> &low, double hopSeconds);

} // namespace vc::beats
