#pragma once

#include <QByteArray>
#include <QHash>
#include <QVector>

#include <cstddef>
#include <initializer_list>
#include <iterator>

namespace vc {

// Undo and redo over whole-show snapshots. A snapshot names tracks and
// items by an opaque identity (the widgets' addresses) and keeps each item's
// record bytes as an implicitly shared byte array, so recording a snapshot
// copies no record that has not changed.
class History
{
public:
    using Id = quintptr;
    struct Item
    {
        Id id = 0;
        QByteArray bytes;
    };
    // A track's items in runs that snapshots share: a step that changes a
    // few items of a long track copies the runs holding them, not the
    // track, and comparing two steps skips the runs they share.
    class Items
    {
    public:
        static constexpr int Run = 64;

        Items() = default;
        Items(std::initializer_list<Item> items);
        // From items ascending by id.
        explicit Items(const QVector<Item> &items);

        int size() const { return m_size; }
        bool isEmpty() const { return m_size == 0; }
        const Item &first() const { return m_runs.first().first(); }
        void append(const Item &item);
        QVector<Item> toVector() const;
        const QVector<QVector<Item>> &runs() const { return m_runs; }
        // Whether the two hold the very same runs (nothing to compare).
        bool shares(const Items &other) const;
        // These items with the ones named replaced: `gone` (ascending)
        // leave, `now` (ascending by id) come in or replace those of
        // their id. Runs neither touches stay shared.
        Items patched(const QVector<Id> &gone, const QVector<Item> &now) const;

        class const_iterator
        {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = Item;
            using difference_type = std::ptrdiff_t;
            using pointer = const Item *;
            using reference = const Item &;

            const_iterator() = default;
            const Item &operator*() const { return m_runs->at(m_run).at(m_at); }
            const Item *operator->() const { return &**this; }
            const_iterator &operator++()
            {
                if (++m_at == m_runs->at(m_run).size()) {
                    ++m_run;
                    m_at = 0;
                }
                return *this;
            }
            bool operator==(const const_iterator &o) const
            {
                return m_run == o.m_run && m_at == o.m_at;
            }
            bool operator!=(const const_iterator &o) const { return !(*this == o); }

        private:
            friend class Items;
            const_iterator(const QVector<QVector<Item>> *runs, int run) : m_runs(runs), m_run(run)
            {
            }
            const QVector<QVector<Item>> *m_runs = nullptr;
            int m_run = 0;
            int m_at = 0;
        };
        const_iterator begin() const { return const_iterator(&m_runs, 0); }
        const_iterator end() const { return const_iterator(&m_runs, int(m_runs.size())); }

    private:
        void push(const Item &item);
        QVector<QVector<Item>> m_runs; // none empty
        int m_size = 0;
    };

    struct Track
    {
        Id id = 0;
        Items items; // ascending by id
    };
    // Walks two tracks' items (ascending by id) side by side, skipping the
    // runs they share, and calls f(a, b) for every identity whose item
    // differs: (a, null) for one only `a` holds, (null, b) for one only `b`
    // holds, both for different bytes. f returns false to stop.
    template <typename F> static void compare(const Items &a, const Items &b, F f);
    using Snapshot = QVector<Track>; // ascending by id

    // Undo steps kept: the current state plus this many before it.
    static constexpr int MaxSteps = 100;

    // Drops every snapshot.
    void reset();

    // Records `state` unless it equals the current snapshot; returns whether
    // it did. A change is a track new to the current snapshot, an item new to
    // its track, different bytes, or an item gone from a track that is still
    // there (so a removal alone can be undone). A track that is gone is not
    // a change: removing a track is final. `extra` is what else a step
    // restores besides the tracks (opaque here); different bytes are a
    // change too.
    bool record(Snapshot state, const QByteArray &extra = QByteArray());
    bool differs(const Snapshot &state, const QByteArray &extra = QByteArray()) const;

    // Step back / forward; return the snapshot to apply, or null at either
    // end of the history.
    const Snapshot *undo();
    const Snapshot *redo();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index >= 0 && m_index < m_snapshots.size() - 1; }
    int index() const { return m_index; }
    int size() const { return m_snapshots.size(); }
    const Snapshot *current() const;
    // The extra bytes recorded with the current snapshot.
    QByteArray currentExtra() const;

    // Whether any kept snapshot names this item or track: while it does, the
    // object must stay alive and its identity must not be reused.
    // (Looked up in every kept snapshot: recording a step does no work in
    // proportion to the show for them.)
    bool namesItem(Id id) const;
    bool namesTrack(Id id) const;

    // Sorts a snapshot's tracks and items by id, as record() expects.
    static void normalize(Snapshot &state);
    static void sortItems(Items &items);
    // The entry of a track in a snapshot, or null.
    static const Track *find(const Snapshot &state, Id track);
    static bool sameBytes(const QByteArray &a, const QByteArray &b)
    {
        return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
    }

private:
    QVector<Snapshot> m_snapshots;
    QVector<QByteArray> m_extras; // one per snapshot
    int m_index = -1;
};

template <typename F> void History::compare(const Items &a, const Items &b, F f)
{
    const QVector<QVector<Item>> &ra = a.runs();
    const QVector<QVector<Item>> &rb = b.runs();
    int runA = 0, atA = 0, runB = 0, atB = 0;
    const auto step = [](const QVector<QVector<Item>> &runs, int &run, int &at) {
        if (++at == runs.at(run).size()) {
            ++run;
            at = 0;
        }
    };
    for (;;) {
        // Shared runs hold the same items.
        while (atA == 0 && atB == 0 && runA < ra.size() && runB < rb.size() &&
               ra.at(runA).constData() == rb.at(runB).constData()) {
            ++runA;
            ++runB;
        }
        const Item *x = runA < ra.size() ? &ra.at(runA).at(atA) : nullptr;
        const Item *y = runB < rb.size() ? &rb.at(runB).at(atB) : nullptr;
        if (!x && !y)
            return;
        if (x && (!y || x->id < y->id)) {
            step(ra, runA, atA);
            if (!f(x, static_cast<const Item *>(nullptr)))
                return;
        } else if (y && (!x || y->id < x->id)) {
            step(rb, runB, atB);
            if (!f(static_cast<const Item *>(nullptr), y))
                return;
        } else {
            step(ra, runA, atA);
            step(rb, runB, atB);
            if (!sameBytes(x->bytes, y->bytes) && !f(x, y))
                return;
        }
    }
}

} // namespace vc
