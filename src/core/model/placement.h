#pragma once

#include <QVector>

// The rules that keep a track sorted and free of overlaps, over times only.
// A track applies the outcome to its items; nothing here knows widgets.
namespace vc::placement {

// An item's times in ms; -1 (a null time) counts as 0.
struct Span
{
    int start = 0;
    int end = 0;
};

enum class Fate
{
    Kept,    // times unchanged
    Retimed, // new start and/or end (trimmed, or pushed behind a shorter item)
    Removed, // covered, or lost a same-start tie; leaves the track
    Split,   // cut in two: this item keeps [start, end), a new copy gets [pieceStart, pieceEnd)
};

struct Outcome
{
    Fate fate = Fate::Kept;
    int start = 0;
    int end = 0;
    int pieceStart = 0; // Split only: the second half
    int pieceEnd = 0;
};

// One entry of the track's new item list: input item `index`, or the second
// half of its split when `piece` is set.
struct Slot
{
    int index = 0;
    bool piece = false;
    bool operator==(const Slot &o) const { return index == o.index && piece == o.piece; }
};

struct Result
{
    QVector<Outcome> outcomes; // one per input item, same order
    QVector<Slot> order;       // the track's new list, ascending by start
};

// Orders items by start. Of two items with the same start the later one in
// list order wins, unless it ends first: then the longer one is pushed to
// start where the shorter one ends. When that start is taken too, the same
// rule settles it again (so every item is either in the list or removed).
// An item that does not end after its start cannot push anyone; it wins.
Result sortItems(const QVector<Span> &items);

// Places item `placed` against the others: it wins every same-start tie,
// then items it covers are removed, items it overlaps are trimmed and an
// item reaching past both of its ends is split in two. With `placed` out of
// range this is sortItems.
Result place(const QVector<Span> &items, int placed);

// The earliest start at or after `from` where an item `length` ms long
// overlaps none of the items (in any order): where a new item can go
// without taking anything away.
int firstFreeStart(const QVector<Span> &items, int from, int length);

} // namespace vc::placement
