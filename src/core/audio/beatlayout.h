#pragma once

#include "core/audio/beatgrid.h"
#include "core/model/show.h"

#include <QByteArray>
#include <QVector>

namespace vc::beats {

// How long a mode laid on the beat lasts: a number of beats, or to the
// start of the next bar.
constexpr int ToNextBar = 0;

// Lays modes one after another on the grid, in the order of their starts:
// the first starts at the beat nearest its start, and each lasts `units`
// beats (or to the next bar), its repeat count following as for a resize.
// Each is then placed by the show's rules, so modes of the track it now
// overlaps are trimmed or covered. Beyond the last beat the last stretch's
// tempo goes on. Returns how many modes were laid out.
int fitToBeats(Show &show, QVector<Show::Id> modes, const BeatGrid &grid, int units);

// Replaces a mode by one mode per `units` beats (or per bar) from the beat
// nearest its start to the beat nearest its end; with `second` (a mode's
// bytes), every other one plays that mode's pattern instead. Returns the
// new modes, in order; none (and the mode stays) when its span holds no
// whole piece.
QVector<Show::Id> splitAtBeats(Show &show, Show::Id mode, const BeatGrid &grid, int units,
                               const QByteArray &second = {});

} // namespace vc::beats
