#include "core/model/history.h"
#include "testsupport/testenv.h"

#include <QMap>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

using vc::History;

namespace {

// "1:a=x,b=y 2:" -> track 1 holding items a and b with bytes "x", "y"; track 2 empty.
// Item ids are letters (their character codes).
History::Snapshot state(const QString &text)
{
    History::Snapshot s;
    const QStringList tracks = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &t : tracks) {
        History::Track track;
        track.id = t.section(QLatin1Char(':'), 0, 0).toULongLong();
        const QStringList items =
            t.section(QLatin1Char(':'), 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &i : items)
            track.items.append(History::Item{History::Id(i.at(0).unicode()),
                                             i.section(QLatin1Char('='), 1).toUtf8()});
        s.append(track);
    }
    return s;
}

QString text(const History::Snapshot *s)
{
    if (!s)
        return QStringLiteral("none");
    QStringList tracks;
    for (const History::Track &t : *s) {
        QStringList items;
        for (const History::Item &i : t.items)
            items << QChar(char16_t(i.id)) + QLatin1Char('=') + QString::fromUtf8(i.bytes);
        tracks << QString::number(t.id) + QLatin1Char(':') + items.join(QLatin1Char(','));
    }
    return tracks.join(QLatin1Char(' '));
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void whatCountsAsAChange_data();
    void whatCountsAsAChange();
    void undoRedoWalk();
    void newStepDropsRedoBranch();
    void keepsAHundredSteps();
    void namesWhatItKeeps();
    void sharesRecordBytes();
    void resetEmpties();
    void patchesLongTracks_data();
    void patchesLongTracks();
};

void TestHistory::whatCountsAsAChange_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("changed");

    QTest::newRow("same") << "1:a=x,b=y"
                          << "1:a=x,b=y" << false;
    QTest::newRow("same, other order") << "1:a=x,b=y 2:"
                                       << "2: 1:b=y,a=x" << false;
    QTest::newRow("bytes differ") << "1:a=x,b=y"
                                  << "1:a=x,b=z" << true;
    QTest::newRow("item added") << "1:a=x"
                                << "1:a=x,b=y" << true;
    QTest::newRow("item removed") << "1:a=x,b=y"
                                  << "1:a=x" << true;
    QTest::newRow("item moved between tracks") << "1:a=x 2:"
                                               << "1: 2:a=x" << true;
    QTest::newRow("new empty track") << "1:a=x"
                                     << "1:a=x 2:" << true;
    QTest::newRow("track removed is final") << "1:a=x 2:b=y"
                                            << "1:a=x" << false;
    QTest::newRow("first state") << ""
                                 << "1:" << true;
}

void TestHistory::whatCountsAsAChange()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    History h;
    h.record(state(before));
    QTEST(h.record(state(after)), "changed");
}

void TestHistory::undoRedoWalk()
{
    History h;
    QVERIFY(h.record(state("1:")));
    QVERIFY(h.record(state("1:a=1")));
    QVERIFY(h.record(state("1:a=1,b=2")));
    QVERIFY(h.record(state("1:a=1,b=2,c=3")));
    QCOMPARE(h.index(), 3);
    QCOMPARE(text(h.undo()), QStringLiteral("1:a=1,b=2"));
    QCOMPARE(text(h.undo()), QStringLiteral("1:a=1"));
    QCOMPARE(text(h.redo()), QStringLiteral("1:a=1,b=2"));
    QCOMPARE(text(h.undo()), QStringLiteral("1:a=1"));
    QCOMPARE(text(h.undo()), QStringLiteral("1:"));
    QCOMPARE(text(h.undo()), QStringLiteral("none")); // oldest: nothing
    QCOMPARE(h.index(), 0);
    QCOMPARE(text(h.redo()), QStringLiteral("1:a=1"));
    QCOMPARE(text(h.redo()), QStringLiteral("1:a=1,b=2"));
    QCOMPARE(text(h.redo()), QStringLiteral("1:a=1,b=2,c=3"));
    QCOMPARE(text(h.redo()), QStringLiteral("none")); // newest: nothing
    // an unchanged state after an undo records nothing and keeps the redo step
    h.undo();
    QVERIFY(!h.record(state("1:b=2,a=1")));
    QVERIFY(h.canRedo());
}

void TestHistory::newStepDropsRedoBranch()
{
    History h;
    h.record(state("1:"));
    h.record(state("1:a=1"));
    h.record(state("1:a=1,b=2"));
    h.undo();
    QVERIFY(h.canRedo());
    QVERIFY(h.record(state("1:a=1,d=4")));
    QVERIFY(!h.canRedo());
    QCOMPARE(h.size(), 3);
    QCOMPARE(text(h.undo()), QStringLiteral("1:a=1"));
}

void TestHistory::keepsAHundredSteps()
{
    History h;
    for (int i = 0; i < 151; ++i)
        QVERIFY(h.record(state(QStringLiteral("1:a=%1").arg(i))));
    QCOMPARE(h.size(), 101);
    QCOMPARE(h.index(), 100);
    int steps = 0;
    while (h.undo())
        ++steps;
    QCOMPARE(steps, 100);
    QCOMPARE(text(h.current()), QStringLiteral("1:a=50"));
}

void TestHistory::namesWhatItKeeps()
{
    History h;
    h.record(state("7:a=1"));
    for (int i = 0; i < History::MaxSteps; ++i)
        h.record(state(QStringLiteral("8:b=%1").arg(i)));
    QVERIFY(h.namesItem('a'));
    QVERIFY(h.namesTrack(7));
    h.record(state("8:c=1"));
    // the only snapshot naming a and track 7 fell off the end
    QVERIFY(!h.namesItem('a'));
    QVERIFY(!h.namesTrack(7));
    QVERIFY(h.namesItem('b'));

    // dropping the redo branch forgets what only it named
    h.undo();
    h.record(state("8:d=1"));
    QVERIFY(!h.namesItem('c'));
    QVERIFY(h.namesItem('d'));
}

void TestHistory::sharesRecordBytes()
{
    const QByteArray record(100000, 'r');
    History::Snapshot s;
    s.append(History::Track{1, {History::Item{2, record}}});
    History h;
    h.record(s);
    QCOMPARE(h.current()->first().items.first().bytes.constData(), record.constData());
}

void TestHistory::resetEmpties()
{
    History h;
    h.record(state("1:a=1"));
    h.record(state("1:a=2"));
    h.reset();
    QCOMPARE(h.index(), -1);
    QCOMPARE(h.size(), 0);
    QVERIFY(!h.namesItem('a'));
    QVERIFY(!h.undo());
    QVERIFY(h.record(state("1:a=2")));
    QCOMPARE(h.index(), 0);
}

void TestHistory::patchesLongTracks_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("touched"); // at most, per step
    QTest::newRow("empty, growing") << 0 << 40;
    QTest::newRow("a few in a long track") << 1000 << 3;
    QTest::newRow("many in a long track") << 1000 << 300;
}

// Patched items hold what a plain list patched the same way holds, and
// comparing two steps names exactly the identities that differ.
void TestHistory::patchesLongTracks()
{
    QFETCH(int, items);
    QFETCH(int, touched);
    QRandomGenerator rng(items + touched);
    QMap<History::Id, QByteArray> model;
    for (int i = 0; i < items; ++i)
        model.insert(History::Id(2 * i + 2), QByteArray::number(i));
    QVector<History::Item> plain;
    for (auto it = model.cbegin(); it != model.cend(); ++it)
        plain.append({it.key(), it.value()});
    History::Items now(plain);
    for (int step = 0; step < 60; ++step) {
        QMap<History::Id, QByteArray> next = model;
        QSet<History::Id> differ;
        QVector<History::Id> gone;
        QVector<History::Item> fresh;
        const int n = int(rng.bounded(touched + 1));
        for (int k = 0; k < n; ++k) {
            // Any identity up to a little past the last: gone, new or rewritten.
            const History::Id id = rng.bounded(quint32(2 * (items + 20 * step) + 50)) + 1;
            if (differ.contains(id))
                continue;
            differ.insert(id);
            if (next.contains(id) && rng.bounded(2)) {
                next.remove(id);
                gone.append(id);
            } else {
                next.insert(id, QByteArray::number(step) + '.' + QByteArray::number(k));
                fresh.append({id, next.value(id)});
            }
        }
        std::sort(gone.begin(), gone.end());
        std::sort(fresh.begin(), fresh.end(),
                  [](const auto &a, const auto &b) { return a.id < b.id; });
        const History::Items patched = now.patched(gone, fresh);
        QVector<History::Item> want;
        for (auto it = next.cbegin(); it != next.cend(); ++it)
            want.append({it.key(), it.value()});
        const QVector<History::Item> got = patched.toVector();
        QCOMPARE(got.size(), want.size());
        QCOMPARE(patched.size(), want.size());
        for (int i = 0; i < got.size(); ++i) {
            QCOMPARE(got.at(i).id, want.at(i).id);
            QCOMPARE(got.at(i).bytes, want.at(i).bytes);
        }
        QSet<History::Id> named;
        History::compare(now, patched, [&](const History::Item *a, const History::Item *b) {
            named.insert(a ? a->id : b->id);
            return true;
        });
        for (History::Id id : QSet<History::Id>(differ)) {
            if (model.value(id, "-") == next.value(id, "-"))
                differ.remove(id); // a gone identity that was never there
        }
        QCOMPARE(named, differ);
        model = next;
        now = patched;
    }
}

VC_TEST_MAIN(TestHistory)
#include "tst_history.moc"
