#include "core/timeline/timescale.h"

#include "testsupport/testenv.h"

#include <QtTest>

namespace ts = vc::timescale;

// The arithmetic of the time axis, row by row against worked examples.
class TestTimescale : public QObject
{
    Q_OBJECT

private slots:
    void zoom_data();
    void zoom();
    void conversions_data();
    void conversions();
    void snapResize_data();
    void snapResize();
    void snapMove_data();
    void snapMove();
    void rulerRules_data();
    void rulerRules();
    void labelLeft_data();
    void labelLeft();
    void rulerLayout_data();
    void rulerLayout();
    void waveform_data();
    void waveform();
    void songRange_data();
    void songRange();
    void scrollToShow_data();
    void scrollToShow();
};

void TestTimescale::zoom_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("minWidth");
    QTest::newRow("40 widest") << 40 << 40.0f << 0;
    QTest::newRow("45 truncated") << 45 << 31.6f << 0;
    QTest::newRow("80 default") << 80 << 10.0f << 2;
    QTest::newRow("100 middle") << 100 << 6.4f << 3;
    QTest::newRow("155") << 155 << 2.6f << 7;
    QTest::newRow("160 closest") << 160 << 2.5f << 8;
}

void TestTimescale::zoom()
{
    QFETCH(int, slider);
    QFETCH(float, scale);
    QFETCH(int, minWidth);
    QCOMPARE(ts::scaleForZoom(slider), scale);
    QCOMPARE(ts::minItemWidth(scale), minWidth);
}

void TestTimescale::conversions_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("width");
    QTest::newRow("half rounds up") << qint64(12345) << 10.0f << 1235 << 1234;
    QTest::newRow("below half") << qint64(4) << 10.0f << 0 << 0;
    QTest::newRow("exact half") << qint64(5) << 10.0f << 1 << 0;
    QTest::newRow("zoomed item start") << qint64(1000) << 2.5f << 400 << 400;
    QTest::newRow("zoomed item width") << qint64(2000) << 2.5f << 800 << 800;
    QTest::newRow("negative is zero") << qint64(-50) << 10.0f << 0 << 0;
    QTest::newRow("five minutes") << qint64(300000) << 10.0f << 30000 << 30000;
    QTest::newRow("wide zoom") << qint64(300000) << 31.6f << 9494 << 9493;
}

void TestTimescale::conversions()
{
    QFETCH(qint64, ms);
    QFETCH(float, scale);
    QFETCH(int, x);
    QFETCH(int, width);
    QCOMPARE(ts::msToX(ms, scale), x);
    if (ms >= 0)
        QCOMPARE(ts::spanWidth(ms, scale), width);
}

void TestTimescale::snapResize_data()
{
    QTest::addColumn<bool>("end");
    QTest::addColumn<int>("p");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<int>("result");
    // End handle: neighbour window [limit - 7, limit + 3].
    QTest::newRow("end: 2 px left of neighbour") << true << 498 << 500 << 300 << 500;
    QTest::newRow("end: window left edge") << true << 493 << 500 << 300 << 500;
    QTest::newRow("end: just outside left") << true << 492 << 500 << 300 << 494;
    QTest::newRow("end: window right edge") << true << 503 << 500 << 300 << 500;
    QTest::newRow("end: just outside right") << true << 504 << 500 << 300 << 506;
    QTest::newRow("end: indicator") << true << 296 << 500 << 300 << 300;
    QTest::newRow("end: indicator left edge") << true << 293 << 500 << 300 << 300;
    QTest::newRow("end: indicator outside") << true << 304 << 500 << 300 << 306;
    QTest::newRow("end: neighbour wins") << true << 495 << 500 << 497 << 500;
    // Start handle: neighbour window [limit - 3, limit + 7].
    QTest::newRow("start: at neighbour") << false << 100 << 100 << 300 << 100;
    QTest::newRow("start: window left edge") << false << 97 << 100 << 300 << 100;
    QTest::newRow("start: just outside left") << false << 96 << 100 << 300 << 94;
    QTest::newRow("start: window right edge") << false << 107 << 100 << 300 << 100;
    QTest::newRow("start: just outside right") << false << 108 << 100 << 300 << 106;
    QTest::newRow("start: indicator") << false << 305 << 100 << 300 << 300;
    QTest::newRow("start: indicator right edge") << false << 307 << 100 << 300 << 300;
    QTest::newRow("start: indicator outside") << false << 296 << 100 << 300 << 294;
}

void TestTimescale::snapResize()
{
    QFETCH(bool, end);
    QFETCH(int, p);
    QFETCH(int, limit);
    QFETCH(int, indicator);
    QFETCH(int, result);
    if (end)
        QCOMPARE(ts::snapResizeEnd(p, limit, indicator), result);
    else
        QCOMPARE(ts::snapResizeStart(p, limit, indicator), result);
}

void TestTimescale::snapMove_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("x");
    // At 10 ms per pixel the window is 5 + 0.5 pixels.
    QTest::newRow("touch left from right") << 105 << 200 << 100 << 1000 << 10.0f << 100;
    QTest::newRow("just outside left window") << 106 << 200 << 100 << 1000 << 10.0f << 106;
    QTest::newRow("overlapping left") << 95 << 200 << 100 << 1000 << 10.0f << 100;
    QTest::newRow("too far into left") << 94 << 200 << 100 << 1000 << 10.0f << 94;
    QTest::newRow("touch right") << 795 << 200 << 100 << 1000 << 10.0f << 800;
    QTest::newRow("just outside right") << 794 << 200 << 100 << 1000 << 10.0f << 794;
    QTest::newRow("past right") << 805 << 200 << 100 << 1000 << 10.0f << 800;
    QTest::newRow("free") << 400 << 200 << 100 << 1000 << 10.0f << 400;
    // At 2.5 ms per pixel the window widens to 5 + 2 pixels.
    QTest::newRow("zoomed touch left") << 107 << 200 << 100 << 1000 << 2.5f << 100;
    QTest::newRow("zoomed outside") << 108 << 200 << 100 << 1000 << 2.5f << 108;
    QTest::newRow("zoomed touch right") << 793 << 200 << 100 << 1000 << 2.5f << 800;
    // Never left of the track's start.
    QTest::newRow("negative clamps") << -20 << 200 << 0 << 1000 << 10.0f << 0;
    QTest::newRow("near zero snaps") << 3 << 200 << 0 << 1000 << 10.0f << 0;
    QTest::newRow("item wider than gap prefers left") << 102 << 500 << 100 << 600 << 10.0f << 100;
}

void TestTimescale::snapMove()
{
    QFETCH(int, n);
    QFETCH(int, w);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(float, scale);
    QFETCH(int, x);
    QCOMPARE(ts::snapMove(n, w, left, right, scale), x);
}

void TestTimescale::rulerRules_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("tick");
    QTest::addColumn<int>("label");
    using M = ts::RulerMark;
    QTest::newRow("second at 10") << 100 << 10.0f << int(M::Major) << int(M::TimeLabel);
    QTest::newRow("100 ms at 10") << 10 << 10.0f << int(M::Medium) << int(M::NoLabel);
    QTest::newRow("10 ms at 10") << 1 << 10.0f << int(M::NoTick) << int(M::NoLabel);
    QTest::newRow("10 ms at 5") << 1 << 5.0f << int(M::Minor) << int(M::NoLabel);
    QTest::newRow("10 ms at 2.5") << 1 << 2.5f << int(M::Minor) << int(M::NoLabel);
    QTest::newRow("200 ms at 2.5") << 20 << 2.5f << int(M::Medium) << int(M::FractionLabel);
    QTest::newRow("200 ms at 2.6") << 20 << 2.6f << int(M::Medium) << int(M::NoLabel);
    QTest::newRow("1 s at 20") << 100 << 20.0f << int(M::Major) << int(M::NoLabel);
    QTest::newRow("2 s at 20") << 200 << 20.0f << int(M::Major) << int(M::TimeLabel);
    QTest::newRow("1 s at 40") << 100 << 40.0f << int(M::Medium) << int(M::NoLabel);
    QTest::newRow("5 s at 40") << 500 << 40.0f << int(M::Major) << int(M::TimeLabel);
    QTest::newRow("500 ms at 40") << 50 << 40.0f << int(M::Medium) << int(M::NoLabel);
    QTest::newRow("100 ms at 40") << 10 << 40.0f << int(M::NoTick) << int(M::NoLabel);
    QTest::newRow("origin at 40") << 0 << 40.0f << int(M::Major) << int(M::TimeLabel);
}

void TestTimescale::rulerRules()
{
    QFETCH(int, k);
    QFETCH(float, scale);
    QFETCH(int, tick);
    QFETCH(int, label);
    QCOMPARE(int(ts::tickFor(k, scale)), tick);
    QCOMPARE(int(ts::labelFor(k, scale)), label);
}

void TestTimescale::labelLeft_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<int>("label");
    QTest::addColumn<int>("left");
    using M = ts::RulerMark;
    QTest::newRow("the first label shows whole") << 0.0f << int(M::TimeLabel) << 0;
    QTest::newRow("near the start") << 10.0f << int(M::TimeLabel) << 0;
    QTest::newRow("centred on its tick") << 100.0f << int(M::TimeLabel) << 84;
    QTest::newRow("fraction centred") << 80.0f << int(M::FractionLabel) << 65;
}

void TestTimescale::labelLeft()
{
    QFETCH(float, x);
    QFETCH(int, label);
    QTEST(ts::labelLeft(x, ts::RulerMark::Label(label)), "left");
}

void TestTimescale::rulerLayout_data()
{
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("timeLabels");
    QTest::addColumn<int>("fractionLabels");
    QTest::addColumn<float>("spacing"); // between consecutive marks
    // One second at 2.5 ms per pixel: 100 marks 4 px apart, one time
    // label and four ".zzz" labels.
    QTest::newRow("2.5 one second") << 2.5f << 120000 << 0 << 400 << 100 << 1 << 4 << 4.0f;
    // At the default scale: medium ticks every 10 px, labels every second.
    QTest::newRow("10 three seconds") << 10.0f << 30000 << 0 << 300 << 30 << 3 << 0 << 10.0f;
    // Beyond 23 ms per pixel: a mark every 500 ms.
    QTest::newRow("40 ten seconds") << 40.0f << 7500 << 0 << 250 << 20 << 2 << 0 << 12.5f;
    // The ruler's width ends the marks.
    QTest::newRow("width limits") << 10.0f << 55 << 0 << 300 << 6 << 1 << 0 << 10.0f;
}

void TestTimescale::rulerLayout()
{
    QFETCH(float, scale);
    QFETCH(int, width);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, marks);
    QFETCH(int, timeLabels);
    QFETCH(int, fractionLabels);
    QFETCH(float, spacing);
    const QVector<ts::RulerMark> m = ts::rulerMarks(scale, width, from, to);
    QCOMPARE(m.size(), marks);
    int time = 0, fraction = 0;
    for (int i = 0; i < m.size(); ++i) {
        time += m[i].label == ts::RulerMark::TimeLabel;
        fraction += m[i].label == ts::RulerMark::FractionLabel;
        if (i > 0)
            QCOMPARE(m[i].x - m[i - 1].x, spacing);
    }
    QCOMPARE(time, timeLabels);
    QCOMPARE(fraction, fractionLabels);
}

void TestTimescale::waveform_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<double>("y");
    QTest::newRow("half negative") << -16384 << -0.70712;
    QTest::newRow("full positive") << 32767 << 1.0;
    QTest::newRow("silence") << 0 << 0.0;
    QTest::newRow("full negative") << -32768 << -1.0000153;
    QTest::newRow("quarter") << 8192 << 0.50001;
}

void TestTimescale::waveform()
{
    QFETCH(int, sample);
    QFETCH(double, y);
    QVERIFY2(qAbs(ts::waveformY(static_cast<qint16>(sample)) - y) < 1e-5,
             qPrintable(QString::number(ts::waveformY(static_cast<qint16>(sample)))));
}

void TestTimescale::songRange_data()
{
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<int>("sliderMax");
    QTest::addColumn<int>("timeline");
    QTest::addColumn<int>("points");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("waveWidth");
    QTest::newRow("one minute") << qint64(60000) << 300000 << 300000 << 28801 << 10.0f << 6000;
    QTest::newRow("three minutes") << qint64(180000) << 300000 << 300000 << 86401 << 10.0f << 18000;
    QTest::newRow("exactly five") << qint64(300000) << 300000 << 300000 << 144001 << 10.0f << 30000;
    QTest::newRow("seven minutes")
        << qint64(420000) << 420000 << 420000 << 201601 << 2.5f << 168000;
    QTest::newRow("just over five")
        << qint64(300001) << 300001 << 300001 << 144001 << 40.0f << 7500;
}

void TestTimescale::songRange()
{
    QFETCH(qint64, duration);
    QFETCH(int, sliderMax);
    QFETCH(int, timeline);
    QFETCH(int, points);
    QFETCH(float, scale);
    QFETCH(int, waveWidth);
    const ts::SongRange r = ts::songRange(duration);
    QCOMPARE(r.sliderMax, sliderMax);
    QCOMPARE(r.timelineMs, timeline);
    QCOMPARE(ts::waveformWidth(points, scale), waveWidth);
    QCOMPARE(ts::msToSamples(duration), static_cast<int>(duration * 48 / 100));
}

void TestTimescale::scrollToShow_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("result");
    QTest::newRow("inside") << 500 << 0 << 1000 << 0;
    QTest::newRow("right edge inside") << 1000 << 0 << 1000 << 0;
    QTest::newRow("left edge inside") << 2000 << 2000 << 1000 << 2000;
    QTest::newRow("past right centres") << 1001 << 0 << 1000 << 501;
    QTest::newRow("left of view centres") << 1500 << 2000 << 1000 << 1000;
    QTest::newRow("odd width truncates") << 3000 << 0 << 999 << 2501;
    QTest::newRow("near start may go negative") << 100 << 1000 << 1000 << -400;
}

void TestTimescale::scrollToShow()
{
    QFETCH(int, x);
    QFETCH(int, value);
    QFETCH(int, width);
    QFETCH(int, result);
    QCOMPARE(ts::scrollToShow(x, value, width), result);
}

VC_TEST_MAIN(TestTimescale)
#include "tst_timescale.moc"
