#include "core/model/repeatsuggestion.h"
#include "testsupport/testenv.h"

#include <QImage>

class TestRepeatSuggestion : public QObject
{
    Q_OBJECT

private slots:
    void suggestion_data();
    void suggestion();
    void patternWidth_data();
    void patternWidth();
};

void TestRepeatSuggestion::suggestion_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("speed");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("loops");
    // 5 x 10 x 1000 / 1000 + 0.5 = 50.5
    QTest::newRow("rate 1333") << 5.0 << 10 << 1333.0f << 100 << 50;
    // Above 1500 frames per second K is 1500: 75.5
    QTest::newRow("rate 2100") << 5.0 << 10 << 2100.0f << 100 << 75;
    QTest::newRow("rate 1500 still 1000") << 5.0 << 10 << 1500.0f << 100 << 50;
    QTest::newRow("rate 1501 is 1500") << 5.0 << 10 << 1501.0f << 100 << 75;
    QTest::newRow("rate 1500.5") << 5.0 << 10 << 1500.5f << 100 << 75;
    // Never below one.
    QTest::newRow("short") << 0.1 << 2 << 1333.0f << 600 << 1;
    // Rounds half up.
    QTest::newRow("0.49") << 0.49 << 10 << 1000.0f << 100 << 5;
    // The effect pattern at 80 LEDs is 160 wide: 5 x 10 x 1000 / 1600 + 0.5
    QTest::newRow("effect") << 5.0 << 10 << 1333.0f << 160 << 31;
    // Narrowed to single precision before truncation: in double precision
    // 0.72 x 10 x 1000 / 1600 + 0.5 is 4.999999999999999; single makes it 5.
    QTest::newRow("narrowing") << 0.72 << 10 << 1333.0f << 160 << 5;
    QTest::newRow("narrowing 72") << 1.188 << 10 << 1333.0f << 72 << 17;
    // No pattern: the lowest count, never a division by 0.
    QTest::newRow("no pattern") << 5.0 << 10 << 1333.0f << 0 << 1;
    QTest::newRow("no pattern no time") << 0.0 << 10 << 1333.0f << 0 << 1;
    QTest::newRow("huge") << 1000.0 << 18 << 2100.0f << 1 << 9999;
}

void TestRepeatSuggestion::suggestion()
{
    QFETCH(double, seconds);
    QFETCH(int, speed);
    QFETCH(float, rate);
    QFETCH(int, width);
    QFETCH(int, loops);
    QCOMPARE(vc::repeatSuggestion(seconds, speed, rate, width), loops);
}

void TestRepeatSuggestion::patternWidth_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("leds");
    QTest::newRow("effect 80") << QSize(300, 150) << 80;
    QTest::newRow("effect 36") << QSize(300, 150) << 36;
    QTest::newRow("thumb") << QSize(170, 85) << 80;
    QTest::newRow("odd") << QSize(1237, 431) << 61;
    QTest::newRow("text") << QSize(2187, 4410) << 144;
    QTest::newRow("tall") << QSize(3, 1000) << 36;
}

void TestRepeatSuggestion::patternWidth()
{
    QFETCH(QSize, size);
    QFETCH(int, leds);
    // Exactly the width the toolkit's fast scaling gives.
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QCOMPARE(vc::patternWidth(size, leds),
             img.scaledToHeight(leds, Qt::FastTransformation).width());
    QCOMPARE(vc::patternWidth(QSize(), leds), 0);
    QCOMPARE(vc::patternWidth(size, 0), 0);
}

VC_TEST_MAIN(TestRepeatSuggestion)
#include "tst_repeatsuggestion.moc"
