#include "core/render/proppreview.h"
#include "testsupport/testenv.h"

#include <QPainter>

using vc::PropPreview;

class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void msPerLoop_data();
    void msPerLoop();
    void columnsPerStep_data();
    void columnsPerStep();
    void sweepKeepsAngle_data();
    void sweepKeepsAngle();
    void patternScaledToOneColumnPerMs();
    void shortPatternDrawsNothing();
    void stillDiscWrapsPattern();
    void stepAdvancesCounterAndColumn();
    void seekSetsPhase();
    void composeSurvivesTinySurfaces();
};

void TestPreview::msPerLoop_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("loops");
    QTest::addColumn<int>("ms");
    QTest::newRow("2.5 s x 3: 833 made even") << 2.5 << 3 << 832;
    QTest::newRow("5 s x 1") << 5.0 << 1 << 5000;
    QTest::newRow("1 ms: odd -> 0") << 0.001 << 1 << 0;
    QTest::newRow("0") << 0.0 << 4 << 0;
    QTest::newRow("no loops counts as one") << 1.0 << 0 << 1000;
}

void TestPreview::msPerLoop()
{
    QFETCH(double, seconds);
    QFETCH(int, loops);
    QTEST(PropPreview::msPerLoop(seconds, loops), "ms");
}

void TestPreview::columnsPerStep_data()
{
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<int>("columns");
    QTest::newRow("0 ms") << qint64(0) << 0;
    QTest::newRow("1 ms") << qint64(1) << 1;
    QTest::newRow("10 ms") << qint64(10) << 10;
    QTest::newRow("100 ms") << qint64(100) << 96;
    QTest::newRow("stalled: capped") << qint64(5000) << 96;
}

void TestPreview::columnsPerStep()
{
    QFETCH(qint64, elapsed);
    QTEST(PropPreview::columnsFor(elapsed), "columns");
}

void TestPreview::sweepKeepsAngle_data()
{
    QTest::addColumn<qint64>("counter");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("9 -> 3") << qint64(1001) << 9 << 3 << qint64(3000);
    QTest::newRow("9 -> -9 stays positive") << qint64(101) << 9 << -9 << qint64(100);
    QTest::newRow("to 0 unchanged") << qint64(50) << 9 << 0 << qint64(50);
}

void TestPreview::sweepKeepsAngle()
{
    QFETCH(qint64, counter);
    QFETCH(int, from);
    QFETCH(int, to);
    QTEST(PropPreview::counterForSweep(counter, from, to), "expected");
}

void TestPreview::patternScaledToOneColumnPerMs()
{
    PropPreview p;
    QImage img(10, 85, QImage::Format_RGB32);
    img.fill(Qt::red);
    p.setPattern(img, 36, 2.5, 3);
    QCOMPARE(p.patternImage().size(), QSize(832, 36));
    QCOMPARE(p.columnBase(), p.columnCounter());

    // No pattern at all: a black square of the LED count.
    p.setPattern(QImage(), 20, 1.0, 1);
    QCOMPARE(p.patternImage().size(), QSize(1000, 20));
    QCOMPARE(QColor(p.patternImage().pixel(5, 5)), QColor(Qt::black));
}

void TestPreview::shortPatternDrawsNothing()
{
    PropPreview p;
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    p.setPattern(img, 10, 0.001, 1);
    QVERIFY(p.patternImage().isNull());
    const QImage before = p.circle();
    const QImage staffBefore = p.staff();
    p.step(50);
    QCOMPARE(p.circle(), before);
    QCOMPARE(p.staff(), staffBefore);
}

void TestPreview::stillDiscWrapsPattern()
{
    PropPreview p;
    QImage img(4, 2, QImage::Format_RGB32);
    img.fill(Qt::green);
    p.setPattern(img, 2, 1.0, 1);
    p.setSweep(0);
    QCOMPARE(p.sweep(), 0);
    // LED 0 lights the outer ring of the disc; the centre stays black.
    const QColor rim = p.circle().pixelColor(200 + 179, 200);
    QVERIFY2(rim.green() > 200 && rim.red() < 50, qPrintable(rim.name()));
    QCOMPARE(p.circle().pixelColor(200, 200), QColor(Qt::black));
}

void TestPreview::stepAdvancesCounterAndColumn()
{
    PropPreview p;
    QImage img(100, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    p.setPattern(img, 4, 0.1, 1); // 100 columns
    const qint64 before = p.columnCounter();
    p.step(10);
    QCOMPARE(p.columnCounter(), before + 10);
    QCOMPARE(p.currentColumn(), 10);
    p.step(100);
    QCOMPARE(p.currentColumn(), (10 + 96) % 100);
    // The staff shows the column in blue.
    bool blue = false;
    for (int y = 0; y < 400 && !blue; ++y)
        blue = p.staff().pixelColor(190 + 200, y) == QColor(Qt::blue) ||
               p.staff().pixelColor(390, y).blue() > 200;
    QVERIFY(blue);
}

void TestPreview::seekSetsPhase()
{
    PropPreview p;
    QImage img(10, 4, QImage::Format_RGB32);
    img.fill(Qt::white);
    p.setPattern(img, 4, 4.0, 2); // 2000 ms per loop
    p.seek(3000, 1000, 5000);     // half-way: loops x half a loop
    QCOMPARE(p.columnCounter(), qint64(2 * 1000));
    QCOMPARE(p.columnBase(), qint64(0));
    p.seek(10, 7, 7); // an empty item leaves the phase alone
    QCOMPARE(p.columnCounter(), qint64(2000));
}

void TestPreview::composeSurvivesTinySurfaces()
{
    PropPreview p;
    for (const QSize s : {QSize(1, 1), QSize(0, 0), QSize(600, 300)}) {
        QImage surface(std::max(1, s.width()), std::max(1, s.height()),
                       QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&surface);
        p.compose(painter, s.width(), s.height(), 0);
    }
}

VC_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
