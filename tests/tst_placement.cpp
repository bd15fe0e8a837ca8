#include "core/model/placement.h"
#include "testsupport/testenv.h"

#include <QRandomGenerator>

using namespace vc::placement;

namespace {

// "0-2000 2500-4000" -> spans
QVector<Span> spans(const QString &text)
{
    QVector<Span> out;
    const QStringList items = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &item : items) {
        // a leading "-1" is a null start
        const int dash = item.indexOf(QLatin1Char('-'), 1);
        out.append(Span{item.left(dash).toInt(), item.mid(dash + 1).toInt()});
    }
    return out;
}

QString timesOf(const Result &r)
{
    QStringList out;
    for (const Slot &s : r.order) {
        const Outcome &o = r.outcomes.at(s.index);
        out << (s.piece ? QStringLiteral("%1-%2").arg(o.pieceStart).arg(o.pieceEnd)
                        : QStringLiteral("%1-%2").arg(o.start).arg(o.end));
    }
    return out.join(QLatin1Char(' '));
}

QString fatesOf(const Result &r)
{
    QString out;
    for (const Outcome &o : r.outcomes) {
        switch (o.fate) {
        case Fate::Kept:
            out += QLatin1Char('K');
            break;
        case Fate::Retimed:
            out += QLatin1Char('T');
            break;
        case Fate::Removed:
            out += QLatin1Char('X');
            break;
        case Fate::Split:
            out += QLatin1Char('S');
            break;
        }
    }
    return out;
}

// Every surviving item (and split half) is listed exactly once, starts are
// unique and ascending; with `noOverlap`, no two listed spans overlap.
QString checkInvariant(const Result &r, bool noOverlap)
{
    QVector<int> seen(r.outcomes.size(), 0);
    QVector<int> pieces(r.outcomes.size(), 0);
    int lastStart = -1;
    int lastEnd = -1;
    for (const Slot &s : r.order) {
        const Outcome &o = r.outcomes.at(s.index);
        if (o.fate == Fate::Removed)
            return QStringLiteral("removed item listed");
        (s.piece ? pieces : seen)[s.index]++;
        const int start = s.piece ? o.pieceStart : o.start;
        const int end = s.piece ? o.pieceEnd : o.end;
        if (start <= lastStart)
            return QStringLiteral("starts not unique and ascending");
        // an empty span covers no time, so it overlaps nothing
        if (noOverlap && start < lastEnd && end > start)
            return QStringLiteral("overlap at %1").arg(start);
        lastStart = start;
        lastEnd = std::max(lastEnd, end);
    }
    for (int i = 0; i < r.outcomes.size(); ++i) {
        const bool alive = r.outcomes.at(i).fate != Fate::Removed;
        if (seen.at(i) != (alive ? 1 : 0))
            return QStringLiteral("item %1 listed %2 times").arg(i).arg(seen.at(i));
        if (pieces.at(i) != (r.outcomes.at(i).fate == Fate::Split ? 1 : 0))
            return QStringLiteral("piece of %1 listed %2 times").arg(i).arg(pieces.at(i));
    }
    return QString();
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void sortItems_data();
    void sortItems();
    void place_data();
    void place();
    void randomPlacementsKeepTheTrackClean();
    void randomSortsListEveryItemOnce();
};

void TestPlacement::sortItems_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("fates");

    QTest::newRow("already sorted") << "0-1000 1000-2000"
                                    << "0-1000 1000-2000"
                                    << "KK";
    QTest::newRow("reversed") << "3000-4000 0-1000"
                              << "0-1000 3000-4000"
                              << "KK";
    QTest::newRow("later shorter pushes the longer") << "1000-3000 1000-2000"
                                                     << "1000-2000 2000-3000"
                                                     << "TK";
    QTest::newRow("later longer wins") << "1000-2000 1000-3000"
                                       << "1000-3000"
                                       << "XK";
    QTest::newRow("equal ends: earlier removed") << "1000-3000 1000-3000"
                                                 << "1000-3000"
                                                 << "XK";
    QTest::newRow("pushed onto a taken start, longer wins again") << "1000-3000 2000-2500 1000-2000"
                                                                  << "1000-2000 2000-3000"
                                                                  << "TXK";
    QTest::newRow("pushed onto a taken start, pushes on") << "1000-3000 2000-5000 1000-2000"
                                                          << "1000-2000 2000-3000 3000-5000"
                                                          << "TTK";
    QTest::newRow("null start counts as 0") << "-1-3000 0-1000"
                                            << "0-1000 1000-3000"
                                            << "TK";
    QTest::newRow("an empty item cannot push") << "1000-3000 1000-1000"
                                               << "1000-1000"
                                               << "XK";
}

void TestPlacement::sortItems()
{
    QFETCH(QString, items);
    const Result r = vc::placement::sortItems(spans(items));
    QTEST(timesOf(r), "after");
    QTEST(fatesOf(r), "fates");
    QCOMPARE(checkInvariant(r, false), QString());
}

void TestPlacement::place_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<int>("placed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("fates");

    QTest::newRow("trim both neighbours")
        << "0-2000 2500-4000 1000-3000" << 2 << "0-1000 1000-3000 3000-4000"
        << "TTK";
    QTest::newRow("split a straddling item")
        << "0-5000 1000-2000" << 1 << "0-1000 1000-2000 2000-5000"
        << "SK";
    QTest::newRow("cover two items") << "1000-2000 3000-4000 0-5000" << 2 << "0-5000"
                                     << "XXK";
    QTest::newRow("cover exactly") << "1000-2000 1000-2000" << 1 << "1000-2000"
                                   << "XK";
    QTest::newRow("adjacent items stay")
        << "0-1000 2000-3000 1000-2000" << 2 << "0-1000 1000-2000 2000-3000"
        << "KKK";
    QTest::newRow("placed item wins its tie even when first in the list")
        << "1000-2000 1000-3000" << 0 << "1000-2000 2000-3000"
        << "KT";
    QTest::newRow("placed item shorter than the one at its start")
        << "1000-5000 0-500 1000-2000" << 2 << "0-500 1000-2000 2000-5000"
        << "TKK";
    QTest::newRow("trim, cover and keep") << "0-1000 1500-2000 2500-3500 4000-5000 1200-3000" << 4
                                          << "0-1000 1200-3000 3000-3500 4000-5000"
                                          << "KXTKK";
    QTest::newRow("null start trimmed") << "-1-2000 1000-3000" << 1 << "0-1000 1000-3000"
                                        << "TK";
    QTest::newRow("empty placed item changes nothing")
        << "0-5000 2000-2000" << 1 << "0-5000 2000-2000"
        << "KK";
    QTest::newRow("no placed item: only sorted") << "2000-3000 0-1000" << -1 << "0-1000 2000-3000"
                                                 << "KK";
}

void TestPlacement::place()
{
    QFETCH(QString, items);
    QFETCH(int, placed);
    const Result r = vc::placement::place(spans(items), placed);
    QTEST(timesOf(r), "after");
    QTEST(fatesOf(r), "fates");
    QCOMPARE(checkInvariant(r, true), QString());
}

// A track without overlaps stays without overlaps whatever is placed on it,
// and the placed item keeps its times.
void TestPlacement::randomPlacementsKeepTheTrackClean()
{
    QRandomGenerator rng(11);
    for (int round = 0; round < 3000; ++round) {
        QVector<Span> items;
        int t = int(rng.bounded(3)) * 500;
        const int n = int(rng.bounded(8));
        for (int i = 0; i < n; ++i) {
            const int len = 250 * (1 + int(rng.bounded(6)));
            items.append(Span{t, t + len});
            t += len + 250 * int(rng.bounded(3));
        }
        // every other round in list order as a track keeps it, else
        // shuffled: the outcome must not depend on it
        if (round % 2) {
            for (int i = items.size() - 1; i > 0; --i)
                std::swap(items[i], items[int(rng.bounded(i + 1))]);
        }
        const int s = 250 * int(rng.bounded(20));
        const Span x{s, s + 250 * (1 + int(rng.bounded(12)))};
        const int at = int(rng.bounded(items.size() + 1));
        items.insert(at, x);
        const Result r = vc::placement::place(items, at);
        // the same track in another list order ends the same
        QVector<Span> reversed(items.rbegin(), items.rend());
        QCOMPARE(timesOf(vc::placement::place(reversed, items.size() - 1 - at)), timesOf(r));
        const QString problem = checkInvariant(r, true);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(r.outcomes.at(at).fate, Fate::Kept);
        // no time outside X is lost: the union of the track covers what it did
        for (int i = 0; i < items.size(); ++i) {
            if (i == at)
                continue;
            const Outcome &o = r.outcomes.at(i);
            const bool covered = items.at(i).start >= x.start && items.at(i).end <= x.end;
            QCOMPARE(o.fate == Fate::Removed, covered);
        }
    }
}

void TestPlacement::randomSortsListEveryItemOnce()
{
    QRandomGenerator rng(5);
    for (int round = 0; round < 3000; ++round) {
        QVector<Span> items;
        const int n = int(rng.bounded(10));
        for (int i = 0; i < n; ++i) {
            const int s = 500 * int(rng.bounded(6));
            items.append(Span{s, s + 500 * int(rng.bounded(5))});
        }
        const Result r = vc::placement::sortItems(items);
        const QString problem = checkInvariant(r, false);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
}

VC_TEST_MAIN(TestPlacement)
#include "tst_placement.moc"
