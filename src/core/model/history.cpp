#include "core/model/history.h"

#include <algorithm>

namespace vc {

void History::reset()
{
    m_snapshots.clear();
    m_extras.clear();
    m_index = -1;
}

const History::Snapshot *History::current() const
{
    if (m_index < 0 || m_index >= m_snapshots.size())
        return nullptr;
    return &m_snapshots.at(m_index);
}

QByteArray History::currentExtra() const
{
    return m_index >= 0 && m_index < m_extras.size() ? m_extras.at(m_index) : QByteArray();
}

void History::normalize(Snapshot &state)
{
    auto byId = [](const auto &a, const auto &b) { return a.id < b.id; };
    // Sorted lists are not touched, so that shared ones stay shared.
    for (Track &t : state) {
        if (!std::is_sorted(t.items.cbegin(), t.items.cend(), byId))
            std::sort(t.items.begin(), t.items.end(), byId);
    }
    if (!std::is_sorted(state.cbegin(), state.cend(), byId))
        std::sort(state.begin(), state.end(), byId);
}

const History::Track *History::find(const Snapshot &state, Id track)
{
    auto it = std::lower_bound(state.begin(), state.end(), track,
                               [](const Track &t, Id id) { return t.id < id; });
    return it != state.end() && it->id == track ? &*it : nullptr;
}

bool History::differs(const Snapshot &state, const QByteArray &extra) const
{
    static const Snapshot empty;
    const Snapshot *cur = current();
    if (cur && !sameBytes(extra, currentExtra()))
        return true;
    const Snapshot &ref = cur ? *cur : empty;
    for (const Track &t : state) {
        const Track *old = find(ref, t.id);
        if (!old || old->items.size() != t.items.size())
            return true;
        if (old->items.constData() == t.items.constData())
            continue; // the same shared list
        for (int i = 0; i < t.items.size(); ++i) {
            const Item &a = t.items.at(i);
            const Item &b = old->items.at(i);
            if (a.id != b.id || !sameBytes(a.bytes, b.bytes))
                return true;
        }
    }
    return false;
}

bool History::record(Snapshot state, const QByteArray &extra)
{
    // A track's list shared with the current snapshot is sorted already:
    // recording a step looks only at the tracks that changed.
    if (const Snapshot *cur = current()) {
        auto byId = [](const auto &a, const auto &b) { return a.id < b.id; };
        if (!std::is_sorted(state.cbegin(), state.cend(), byId))
            std::sort(state.begin(), state.end(), byId);
        for (Track &t : state) {
            const Track *old = find(*cur, t.id);
            if ((!old || old->items.constData() != t.items.constData()) &&
                !std::is_sorted(t.items.cbegin(), t.items.cend(), byId))
                std::sort(t.items.begin(), t.items.end(), byId);
        }
    } else {
        normalize(state);
    }
    if (!differs(state, extra))
        return false;
    // A new step drops the redo branch.
    while (m_snapshots.size() > m_index + 1) {
        m_snapshots.removeLast();
        m_extras.removeLast();
    }
    m_snapshots.append(std::move(state));
    m_extras.append(extra);
    if (m_index < MaxSteps) {
        ++m_index;
    } else {
        m_snapshots.removeFirst();
        m_extras.removeFirst();
    }
    return true;
}

const History::Snapshot *History::undo()
{
    if (!canUndo())
        return nullptr;
    --m_index;
    return &m_snapshots.at(m_index);
}

const History::Snapshot *History::redo()
{
    if (!canRedo())
        return nullptr;
    ++m_index;
    return &m_snapshots.at(m_index);
}

bool History::namesItem(Id id) const
{
    for (const Snapshot &s : m_snapshots) {
        for (const Track &t : s) {
            for (const Item &i : t.items) {
                if (i.id == id)
                    return true;
            }
        }
    }
    return false;
}

bool History::namesTrack(Id id) const
{
    for (const Snapshot &s : m_snapshots) {
        if (find(s, id))
            return true;
    }
    return false;
}

} // namespace vc
