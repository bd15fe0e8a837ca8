#include "core/model/placement.h"

#include <algorithm>
#include <map>

namespace vc::placement {

namespace {

struct Work
{
    QVector<Span> spans; // effective times, changed as the rules run
    QVector<bool> alive;
    QVector<Span> pieces; // second halves of split items, by item index
    QVector<bool> split;
    QVector<int> order; // alive items, ascending by start
};

Span effective(const Span &s)
{
    return Span{std::max(s.start, 0), std::max(s.end, 0)};
}

// The same-start rule. Items are taken in list order; `last` (if valid) is
// taken after all others so that it wins every tie.
void runSort(Work &w, int last)
{
    const int n = w.spans.size();
    // The usual case: the track is already in order with unique starts and
    // at most the placed item is new. Then only that item needs a place,
    // unless it meets another at the same start.
    {
        bool ordered = true;
        int previous = -1;
        for (int i = 0; i < n && ordered; ++i) {
            if (i == last)
                continue;
            ordered = w.spans.at(i).start > previous;
            previous = w.spans.at(i).start;
        }
        if (ordered) {
            w.order.clear();
            w.order.reserve(n);
            for (int i = 0; i < n; ++i) {
                if (i != last)
                    w.order.append(i);
            }
            if (last < 0 || last >= n)
                return;
            const int start = w.spans.at(last).start;
            auto at = std::lower_bound(w.order.begin(), w.order.end(), start,
                                       [&](int i, int s) { return w.spans.at(i).start < s; });
            if (at == w.order.end() || w.spans.at(*at).start != start) {
                w.order.insert(at, last);
                return;
            }
        }
    }
    std::map<int, int> byStart;
    auto insert = [&](int r) {
        int key = w.spans[r].start;
        for (;;) {
            auto it = byStart.find(key);
            if (it == byStart.end()) {
                byStart.emplace(key, r);
                return;
            }
            const int p = it->second;
            const Span &rs = w.spans[r];
            if (rs.end < w.spans[p].end && rs.end > key) {
                // The newcomer is shorter: it takes the start and the other
                // one starts where it ends, which may meet a third item.
                it->second = r;
                w.spans[p].start = rs.end;
                r = p;
                key = w.spans[p].start;
                continue;
            }
            w.alive[p] = false;
            it->second = r;
            return;
        }
    };
    for (int i = 0; i < n; ++i) {
        if (i != last)
            insert(i);
    }
    if (last >= 0 && last < n)
        insert(last);
    w.order.clear();
    w.order.reserve(int(byStart.size()));
    for (const auto &entry : byStart)
        w.order.append(entry.second);
}

Result finish(const QVector<Span> &input, const Work &w)
{
    Result result;
    const int n = input.size();
    result.outcomes.resize(n);
    for (int i = 0; i < n; ++i) {
        Outcome &o = result.outcomes[i];
        const Span before = effective(input.at(i));
        o.start = w.spans.at(i).start;
        o.end = w.spans.at(i).end;
        if (!w.alive.at(i)) {
            o.fate = Fate::Removed;
            o.start = before.start;
            o.end = before.end;
        } else if (w.split.at(i)) {
            o.fate = Fate::Split;
            o.pieceStart = w.pieces.at(i).start;
            o.pieceEnd = w.pieces.at(i).end;
        } else if (o.start != before.start || o.end != before.end) {
            o.fate = Fate::Retimed;
        }
    }
    result.order.reserve(w.order.size() + 1);
    for (int i : w.order) {
        result.order.append(Slot{i, false});
    }
    for (int i : w.order) {
        if (w.split.at(i))
            result.order.append(Slot{i, true});
    }
    auto startOf = [&](const Slot &s) {
        return s.piece ? w.pieces.at(s.index).start : w.spans.at(s.index).start;
    };
    std::stable_sort(result.order.begin(), result.order.end(),
                     [&](const Slot &a, const Slot &b) { return startOf(a) < startOf(b); });
    return result;
}

Work prepare(const QVector<Span> &items)
{
    Work w;
    const int n = items.size();
    w.spans.reserve(n);
    for (const Span &s : items)
        w.spans.append(effective(s));
    w.alive.fill(true, n);
    w.split.fill(false, n);
    w.pieces.resize(n);
    return w;
}

} // namespace

Result sortItems(const QVector<Span> &items)
{
    Work w = prepare(items);
    runSort(w, -1);
    return finish(items, w);
}

Result place(const QVector<Span> &items, int placed)
{
    Work w = prepare(items);
    const bool valid = placed >= 0 && placed < items.size();
    runSort(w, valid ? placed : -1);
    if (!valid)
        return finish(items, w);

    const Span x = w.spans.at(placed);
    // An empty item covers nothing; cutting around it would leave two items
    // with the same start.
    if (x.end <= x.start)
        return finish(items, w);

    const int i = int(w.order.indexOf(placed));
    // Later items: covered ones go, overlapped ones start where it ends.
    for (int j = i + 1; j < w.order.size();) {
        const int y = w.order.at(j);
        Span &ys = w.spans[y];
        if (x.end >= ys.end) {
            w.alive[y] = false;
            w.order.remove(j);
            continue;
        }
        if (ys.start < x.end)
            ys.start = x.end;
        ++j;
    }
    // Earlier items: one reaching past both ends is cut in two, overlapping
    // ones end where it starts.
    for (int k = 0; k < i; ++k) {
        const int y = w.order.at(k);
        Span &ys = w.spans[y];
        if (x.end < ys.end) {
            w.split[y] = true;
            w.pieces[y] = Span{x.end, ys.end};
            ys.end = x.start;
        } else if (x.start < ys.end) {
            ys.end = x.start;
        }
    }
    return finish(items, w);
}

int firstFreeStart(const QVector<Span> &items, int from, int length)
{
    QVector<Span> sorted;
    sorted.reserve(items.size());
    for (const Span &s : items)
        sorted.append(effective(s));
    std::sort(sorted.begin(), sorted.end(),
              [](const Span &a, const Span &b) { return a.start < b.start; });
    int start = std::max(from, 0);
    for (const Span &s : qAsConst(sorted)) {
        if (s.start >= start + length)
            break;
        start = std::max(start, s.end);
    }
    return start;
}

} // namespace vc::placement
