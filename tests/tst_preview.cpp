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
    void stepMatchesSingleColumns();
    void seekSetsPhase();
    void composeSurvivesTinySurfaces();
    void stillness_data();
    void stillness();
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

    // A narrow picture repeated so often that a loop lasts under 2 ms (526
    // times in 0.8 s) still shows, in the shortest loop that can be drawn.
    p.setPattern(img, 36, 0.8, 526);
    QCOMPARE(p.patternImage().size(), QSize(2, 36));

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

// A step of many columns leaves the same picture as the columns one by one.
void TestPreview::stepMatchesSingleColumns()
{
    QImage img(50, 8, QImage::Format_RGB32);
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            img.setPixel(x, y, qRgb(x * 5, y * 30, 255 - x * 5));
    PropPreview many, single;
    for (PropPreview *p : {&many, &single})
        p->setPattern(img, 8, 0.05, 1);
    many.step(50); // 48 columns
    for (int i = 0; i < 48; ++i)
        single.step(1); // one column each
    QCOMPARE(many.columnCounter(), single.columnCounter());
    QCOMPARE(many.staff(), single.staff());
    QCOMPARE(many.circle(), single.circle());
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

// When the preview may stop drawing frames: only when a further step can
// change nothing on the screen.
void TestPreview::stillness_data()
{
    QTest::addColumn<QString>("before");  // pattern shown first: none, red, picture
    QTest::addColumn<QString>("pattern"); // then: none, red, black, picture, short
    QTest::addColumn<int>("sweep");
    QTest::addColumn<int>("ms"); // time stepped after the pattern
    QTest::addColumn<bool>("still");

    QTest::newRow("nothing loaded") << "none"
                                    << "none" << 9 << 500 << true;
    QTest::newRow("picture turning") << "none"
                                     << "picture" << 9 << 500 << false;
    // The staff shows a new column every step.
    QTest::newRow("picture, still disc") << "none"
                                         << "picture" << 0 << 500 << false;
    // The afterglow sweeps round a coloured disc.
    QTest::newRow("colour turning") << "none"
                                    << "red" << 9 << 2000 << false;
    QTest::newRow("colour, still disc") << "none"
                                        << "red" << 0 << 500 << true;
    // After a gap turns the preview black, one turn of black pies hides the
    // old colour: 640 columns at sweep 9, 5760 at sweep 1.
    QTest::newRow("black, part of a turn") << "red"
                                           << "black" << 9 << 600 << false;
    QTest::newRow("black, a full turn") << "red"
                                        << "black" << 9 << 700 << true;
    QTest::newRow("black, backwards") << "red"
                                      << "black" << -9 << 700 << true;
    QTest::newRow("black, slow sweep") << "red"
                                       << "black" << 1 << 700 << false;
    QTest::newRow("black, still disc") << "picture"
                                       << "black" << 0 << 0 << true;
    // Too short to draw: the old pies stay under the turning afterglow.
    QTest::newRow("short after colour") << "red"
                                        << "short" << 9 << 2000 << false;
    QTest::newRow("short on a black disc") << "none"
                                           << "short" << 9 << 500 << true;
}

void TestPreview::stillness()
{
    QFETCH(QString, before);
    QFETCH(QString, pattern);
    QFETCH(int, sweep);
    QFETCH(int, ms);
    const auto show = [](PropPreview &p, const QString &kind) {
        QImage img(40, 8, QImage::Format_RGB32);
        img.fill(kind == QLatin1String("black") ? Qt::black : Qt::red);
        if (kind == QLatin1String("picture"))
            QPainter(&img).fillRect(0, 0, 20, 8, Qt::blue);
        if (kind != QLatin1String("none"))
            p.setPattern(img, 8, kind == QLatin1String("short") ? 0.001 : 2.0, 1);
    };
    PropPreview p;
    show(p, before);
    p.step(100);
    p.setSweep(sweep);
    show(p, pattern);
    for (int t = 0; t < ms; t += 100)
        p.step(100);
    QTEST(p.isStill(), "still");
}

VC_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
