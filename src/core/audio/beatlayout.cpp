#include "core/audio/beatlayout.h"

#include <algorithm>
#include <cmath>

namespace vc::beats {

namespace {

// Beat k of the grid, counting on at the last stretch's tempo past its end
// (a show may run on after the song's last beat).
int beatMs(const BeatGrid &grid, const QVector<double> &times, int k)
{
    const double period = grid.stretches().last().period;
    const double t = k < times.size() ? times[k] : times.last() + (k - times.size() + 1) * period;
    return static_cast<int>(std::lround(t));
}

// The beat after `from` that ends a piece of `units` beats or a bar.
int nextBoundary(const BeatGrid &grid, int from, int units)
{
    if (units > 0)
        return from + units;
    int k = from + 1;
    while (grid.barOf(k) == 0 && k < from + grid.meter())
        ++k;
    return k;
}

} // namespace

int fitToBeats(Show &show, QVector<Show::Id> modes, const BeatGrid &grid, int units)
{
    if (grid.isEmpty() || units < 0)
        return 0;
    const QVector<double> times = grid.times();
    modes.erase(
        std::remove_if(modes.begin(), modes.end(), [&show](Show::Id id) { return !show.mode(id); }),
        modes.end());
    std::sort(modes.begin(), modes.end(), [&show](Show::Id a, Show::Id b) {
        return show.mode(a)->record.start < show.mode(b)->record.start;
    });
    if (modes.isEmpty())
        return 0;
    int k = std::max(0, grid.nearestBeat(show.mode(modes.first())->record.start));
    // All retimed first and placed after: placing one while the others still
    // stand where they were could cover one of them.
    QVector<QPair<int, int>> spans;
    for (Show::Id id : qAsConst(modes)) {
        const int next = nextBoundary(grid, k, units);
        spans.append({beatMs(grid, times, k), beatMs(grid, times, next)});
        show.retimeMode(id, spans.last().first, spans.last().second);
        k = next;
    }
    for (Show::Id id : qAsConst(modes))
        show.placeMode(id);
    // Placing one can trim another mode of the track onto the start of a
    // later one that is not placed yet, and that one then loses the tie.
    // Once the track is settled, placing again on the beats touches only
    // what lies under each (the laid modes never overlap each other).
    for (int i = 0; i < modes.size(); ++i) {
        const Show::Mode *m = show.mode(modes.at(i));
        if (m && (m->record.start != spans.at(i).first || m->record.end != spans.at(i).second)) {
            show.retimeMode(modes.at(i), spans.at(i).first, spans.at(i).second);
            show.placeMode(modes.at(i));
        }
    }
    return modes.size();
}

QVector<Show::Id> splitAtBeats(Show &show, Show::Id mode, const BeatGrid &grid, int units,
                               const QByteArray &second)
{
    Show::Id track = 0;
    const Show::Mode *m = show.mode(mode, &track);
    if (!m || grid.isEmpty() || units < 0)
        return {};
    const QVector<double> times = grid.times();
    const int first = grid.nearestBeat(m->record.start);
    const int last = grid.nearestBeat(m->record.end);
    QVector<int> bounds{first};
    while (true) {
        const int next = nextBoundary(grid, bounds.last(), units);
        if (next > last)
            break;
        bounds.append(next);
    }
    if (bounds.size() < 2)
        return {};
    const QByteArray bytes = m->bytes;
    show.removeMode(mode);
    QVector<Show::Id> pieces;
    for (int i = 0; i + 1 < bounds.size(); ++i) {
        const Show::Id id = show.appendMode(track, i % 2 && !second.isEmpty() ? second : bytes);
        show.retimeMode(id, beatMs(grid, times, bounds[i]), beatMs(grid, times, bounds[i + 1]));
        pieces.append(id);
    }
    for (Show::Id id : qAsConst(pieces))
        show.placeMode(id);
    return pieces;
}

} // namespace vc::beats
