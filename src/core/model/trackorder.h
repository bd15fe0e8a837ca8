#pragma once

#include "core/model/moderecord.h"
#include "core/model/placement.h"

#include <QVector>

#include <algorithm>

// A track's placement rules applied to plain records, for code that works
// on a track's content without its widgets (the command-line tool). A track
// applies the same rules to its items, so both give the same times.
namespace vc {

// Orders a track's entries by start (startMs: a null time counts as 0),
// keeping the list order of equal starts. Loading a project does this to
// every track, before anything is placed.
template <typename List, typename StartMs> void orderByStart(List &list, StartMs startMs)
{
    std::stable_sort(list.begin(), list.end(),
                     [&startMs](const auto &a, const auto &b) { return startMs(a) < startMs(b); });
}
void orderByStart(QVector<ModeRecord> &records);

// The raw times an item takes when placement gives it the times
// (start, end): a side that did not move keeps its raw value, so that a
// null time (-1) stays null.
placement::Span movedTimes(int rawStart, int rawEnd, int start, int end);

// The outcome of a sort or a placement applied to records, as a track
// applies it to its items: retimed records get their new times (and, with
// a speed, the repeat count that follows), removed ones leave, a split one
// is followed by a copy holding the second half. The result is in the
// outcome's order.
QVector<ModeRecord> applyPlacement(const QVector<ModeRecord> &records,
                                   const placement::Result &result, float frameRate, int leds);

// Adds a record to a track as the editor's Insert does: at the end of the
// track's list, then placed against the others (see placement::place): it
// wins every same-start tie, removes what it covers, trims what it
// overlaps and splits what reaches past both of its ends. Returns the
// track's new list, in play order.
QVector<ModeRecord> placeRecord(const QVector<ModeRecord> &track, const ModeRecord &record,
                                float frameRate, int leds);

// The records of one track (in the track's list order, e.g. as a project
// file holds them) in play order, exactly as the track's sortItems() leaves
// its items.
QVector<ModeRecord> sortTrack(const QVector<ModeRecord> &records, float frameRate, int leds);

} // namespace vc
