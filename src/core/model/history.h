#pragma once

#include <QByteArray>
#include <QHash>
#include <QVector>

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
    struct Track
    {
        Id id = 0;
        QVector<Item> items; // ascending by id
    };
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

} // namespace vc
