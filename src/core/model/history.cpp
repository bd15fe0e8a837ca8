#include "core/model/history.h"

#include <algorithm>

namespace vc {

History::Items::Items(std::initializer_list<Item> items)
{
    for (const Item &i : items)
        append(i);
}

History::Items::Items(const QVector<Item> &items)
{
    for (const Item &i : items)
        append(i);
}

void History::Items::append(const Item &item)
{
    if (m_runs.isEmpty() || m_runs.last().size() >= Run) {
        m_runs.append(QVector<Item>());
        m_runs.last().reserve(Run);
    }
    m_runs.last().append(item);
    ++m_size;
}

QVector<History::Item> History::Items::toVector() const
{
    QVector<Item> out;
    out.reserve(m_size);
    for (const QVector<Item> &run : m_runs)
        out += run;
    return out;
}

bool History::Items::shares(const Items &other) const
{
    if (m_runs.constData() == other.m_runs.constData())
        return true;
    if (m_size != other.m_size || m_runs.size() != other.m_runs.size())
        return false;
    for (int r = 0; r < m_runs.size(); ++r) {
        if (m_runs.at(r).constData() != other.m_runs.at(r).constData())
            return false;
    }
    return true;
}

History::Items History::Items::patched(const QVector<Id> &gone, const QVector<Item> &now) const
{
    Items out;
    out.m_runs.reserve(m_runs.size() + 1);
    int g = 0;
    int w = 0;
    const auto keep = [&out](const QVector<Item> &run) {
        // A run that grew past twice its size is cut again.
        if (run.size() <= 2 * Run) {
            out.m_runs.append(run);
            out.m_size += run.size();
            return;
        }
        for (int from = 0; from < run.size(); from += Run) {
            out.m_runs.append(run.mid(from, Run));
            out.m_size += out.m_runs.last().size();
        }
    };
    for (int r = 0; r < m_runs.size(); ++r) {
        const QVector<Item> &run = m_runs.at(r);
        // A run takes what falls up to its last identity; the last run takes
        // the rest.
        const bool last = r + 1 == m_runs.size();
        const Id reach = run.last().id;
        const auto within = [last, reach](Id id) { return last || id <= reach; };
        const bool touched =
            (g < gone.size() && within(gone.at(g))) || (w < now.size() && within(now.at(w).id));
        if (!touched) {
            keep(run);
            continue;
        }
        QVector<Item> merged;
        merged.reserve(run.size() + 1);
        for (int i = 0;;) {
            const Item *x = i < run.size() ? &run.at(i) : nullptr;
            const Item *y = w < now.size() && within(now.at(w).id) ? &now.at(w) : nullptr;
            if (!x && !y)
                break;
            if (y && (!x || y->id <= x->id)) {
                if (x && x->id == y->id)
                    ++i;
                merged.append(*y);
                ++w;
                continue;
            }
            while (g < gone.size() && gone.at(g) < x->id)
                ++g;
            if (g >= gone.size() || gone.at(g) != x->id)
                merged.append(*x);
            ++i;
        }
        while (g < gone.size() && within(gone.at(g)))
            ++g;
        if (!merged.isEmpty())
            keep(merged);
    }
    for (; w < now.size(); ++w)
        out.append(now.at(w));
    return out;
}

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
    for (Track &t : state)
        sortItems(t.items);
    if (!std::is_sorted(state.cbegin(), state.cend(), byId))
        std::sort(state.begin(), state.end(), byId);
}

const History::Track *History::find(const Snapshot &state, Id track)
{
    auto it = std::lower_bound(state.begin(), state.end(), track,
                               [](const Track &t, Id id) { return t.id < id; });
    return it != state.end() && it->id == track ? &*it : nullptr;
}

void History::sortItems(Items &items)
{
    auto byId = [](const Item &a, const Item &b) { return a.id < b.id; };
    if (std::is_sorted(items.begin(), items.end(), byId))
        return;
    QVector<Item> sorted = items.toVector();
    std::sort(sorted.begin(), sorted.end(), byId);
    items = Items(sorted);
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
        if (old->items.shares(t.items))
            continue; // the same shared list
        bool different = false;
        compare(old->items, t.items, [&different](const Item *, const Item *) {
            different = true;
            return false;
        });
        if (different)
            return true;
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
            if (!old || !old->items.shares(t.items))
                sortItems(t.items);
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
