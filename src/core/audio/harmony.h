#pragma once

#include "core/audio/beattracker.h"

#include <QVector>

#include <array>

namespace vc::beats {

// The energy of each of the twelve pitch classes in one stretch of a song:
// where it changes, the chord changes.
using Chroma = std::array<float, 12>;

// The pitch class of every bin of a spectrum whose bins are `binHz` wide,
// -1 for bins too low to tell one note from the next or too high to matter.
QVector<qint8> pitchClasses(int bins, double binHz);

// The chroma of one window's spectrum, as the FFT gives it (the real parts
// of bins 0 to n/2, then the imaginary ones from bin n/2 - 1 down to 1, n
// = 2 x (classes' size - 1)), with the bins' pitch classes.
Chroma chromaOf(const float *spectrum, const QVector<qint8> &classes);

// The pulse a listener taps where the chords tell it and the onsets do not:
// chords change on the beat, rarely half way between. Beats that fall half
// way between the changes move onto them (where the onsets there are as
// strong), and above 140 BPM a grid whose every other beat carries the
// changes keeps only those. `chroma` holds one frame every `frameSeconds`,
// the first centred at `firstSeconds`; `onset` the onset strength of every
// hop of `hopSeconds`, the first ending at hopSeconds.
SongBeats followHarmony(const SongBeats &beats, const QVector<Chroma> &chroma, double frameSeconds,
                        double firstSeconds, const QVector<float> &onset, double hopSeconds);

} // namespace vc::beats
