#pragma once

#include "core/model/moderecord.h"
#include "core/model/placement.h"

#include <QHash>
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

// The outcome of a sort or a placement applied to a track's entries:
// retimed entries get their new times, removed ones leave, a split one is
// followed by a copy of it (made by `copy`, before the entry is retimed)
// holding the second half. The result is in the outcome's order. `times`
// gives an entry's raw times, `retime` sets new ones.
template <typename Entry, typename Times, typename Retime, typename Copy>
QVector<Entry> applyPlacement(const QVector<Entry> &entries, const placement::Result &result,
                              Times times, Retime retime, Copy copy)
{
    using placement::Fate;
    // Only retimed entries and split halves are copies of their own; the
    // others are taken over as they are.
    QHash<int, Entry> moved;
    QHash<int, Entry> pieces;
    auto move = [&](Entry &e, int start, int end) {
        const placement::Span raw = times(e);
        const placement::Span t = movedTimes(raw.start, raw.end, start, end);
        if (t.start != raw.start || t.end != raw.end)
            retime(e, t.start, t.end);
    };
    for (int i = 0; i < entries.size(); ++i) {
        const placement::Outcome &o = result.outcomes.at(i);
        switch (o.fate) {
        case Fate::Kept:
        case Fate::Removed:
            break;
        case Fate::Retimed:
            move(moved.insert(i, entries.at(i)).value(), o.start, o.end);
            break;
        case Fate::Split: {
            Entry &piece = pieces.insert(i, copy(entries.at(i))).value();
            move(moved.insert(i, entries.at(i)).value(), o.start, o.end);
            retime(piece, o.pieceStart, o.pieceEnd);
            break;
        }
        }
    }
    QVector<Entry> out;
    out.reserve(result.order.size());
    for (const placement::Slot &slot : result.order) {
        if (slot.piece)
            out.append(pieces.value(slot.index));
        else
            out.append(moved.contains(slot.index) ? moved.value(slot.index)
                                                  : entries.at(slot.index));
    }
    return out;
}

// The same for plain records: with a speed, a retimed record's repeat
// count follows its new length.
QVector<ModeRecord> applyPlacement(const QVector<ModeRecord> &records,
                                   const placement::Result &result, float frameRate, int leds);

// The records of one track (in the track's list order, e.g. as a project
// file holds them) in play order, exactly as the track's sortItems() leaves
// its items.
QVector<ModeRecord> sortTrack(const QVector<ModeRecord> &records, float frameRate, int leds);

} // namespace vc
