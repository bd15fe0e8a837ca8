#include "core/project/picturelibrary.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using vc::test::fileBytes;
using vc::test::writeFile;

namespace {

void touch(const QString &path, const QByteArray &content = "png")
{
    QDir().mkpath(QFileInfo(path).path());
    writeFile(path, content);
}

QString pic(const QString &path)
{
    return QStringLiteral("0?3?") + path + QStringLiteral("?20|1|0");
}

} // namespace

class TestPictureLibrary : public QObject
{
    Q_OBJECT

private slots:
    void picturePath_data();
    void picturePath();
    void countMissing();
    void searchOrderAndMatching_data();
    void searchOrderAndMatching();
    void searchSurvivesLinkLoopAndCancel();
    void relink();
    void exportPlan();
};

void TestPictureLibrary::picturePath_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<QString>("path");     // null: no picture
    QTest::addColumn<QString>("replaced"); // with "/new/b.png"

    QTest::newRow("picture") << "0?3?/p/a.png?20|1|0"
                             << "/p/a.png"
                             << "0?3?/new/b.png?20|1|0";
    QTest::newRow("picture without numbers") << "0?3?/p/a.png"
                                             << "/p/a.png"
                                             << "0?3?/new/b.png";
    QTest::newRow("empty path") << "0?3??1|0|0"
                                << ""
                                << "0?3?/new/b.png?1|0|0";
    QTest::newRow("colour") << "1?#ff0080" << QString() << "1?#ff0080";
    QTest::newRow("text") << "2?4?#fff|#000|hi|0|0?1|0|0" << QString()
                          << "2?4?#fff|#000|hi|0|0?1|0|0";
    QTest::newRow("two parts") << "0?3" << QString() << "0?3";
    QTest::newRow("kind not a number") << "x?3?/p/a.png?1" << QString() << "x?3?/p/a.png?1";
    QTest::newRow("extra parts kept") << "0?1?/a?1|0|0?tail"
                                      << "/a"
                                      << "0?1?/new/b.png?1|0|0?tail";
}

void TestPictureLibrary::picturePath()
{
    QFETCH(QString, params);
    QFETCH(QString, path);
    const QString got = vc::picturePathOf(params);
    QCOMPARE(got.isNull(), path.isNull());
    QCOMPARE(got, path);
    QTEST(vc::replacePicturePath(params, QStringLiteral("/new/b.png")), "replaced");
}

void TestPictureLibrary::countMissing()
{
    QTemporaryDir dir;
    touch(dir.filePath("here.png"));
    QDir(dir.path()).mkdir("folder.png");
    const QStringList params = {pic(dir.filePath("here.png")),
                                pic(dir.filePath("gone.png")),
                                "1?#ffffff",
                                pic(dir.filePath("folder.png")), // a folder is no picture
                                pic(""),
                                "0?1"};
    QCOMPARE(vc::countMissingPictures(params), 3);
    QVERIFY(!vc::isPictureMissing(params.at(0)));
    QVERIFY(vc::isPictureMissing(params.at(1)));
    QVERIFY(!vc::isPictureMissing(params.at(5)));
}

void TestPictureLibrary::searchOrderAndMatching_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QString>("match"); // relative to the root; empty: none

    QTest::newRow("substring of the name") << QStringList{"data.png"} << "/old/a.png"
                                           << "data.png";
    QTest::newRow("case-sensitive") << QStringList{"a.png"} << "/old/A.png"
                                    << "";
    QTest::newRow("files of a folder before its subfolders")
        << QStringList{"a/x.png", "zz-x.png"} << "/old/x.png"
        << "zz-x.png";
    QTest::newRow("subfolders in name order")
        << QStringList{"b/x.png", "a/c/x.png", "a/x.png.bak"} << "/old/x.png"
        << "a/x.png.bak";
    QTest::newRow("name order is case-sensitive")
        << QStringList{"b/x.png", "B/x.png"} << "/old/x.png"
        << "B/x.png";
    QTest::newRow("windows path") << QStringList{"p/x.png"} << "C:\\pics\\x.png"
                                  << "p/x.png";
    QTest::newRow("hidden skipped") << QStringList{".h/x.png", ".x.png"} << "/old/x.png"
                                    << "";
    QTest::newRow("empty name matches nothing") << QStringList{"x.png"} << "/old/"
                                                << "";
    QTest::newRow("folder names do not match") << QStringList{"x.png/y.txt"} << "/old/x.png"
                                               << "";
}

void TestPictureLibrary::searchOrderAndMatching()
{
    QFETCH(QStringList, files);
    QFETCH(QString, missing);
    QFETCH(QString, match);
    QTemporaryDir dir;
    for (const QString &f : files)
        touch(dir.filePath(f));
    const vc::PictureSearch search(dir.path());
    QCOMPARE(search.files().size(),
             files.size() - int(QTest::currentDataTag() == QLatin1String("hidden skipped")) * 2);
    const QString got = search.find(vc::pictureFileName(missing));
    QCOMPARE(got, match.isEmpty() ? QString() : dir.filePath(match));
}

void TestPictureLibrary::searchSurvivesLinkLoopAndCancel()
{
    QTemporaryDir dir;
    for (int i = 0; i < 600; ++i)
        touch(dir.filePath(QStringLiteral("d/f%1.png").arg(i, 3, 10, QLatin1Char('0'))));
    QVERIFY(QFile::link(dir.path(), dir.filePath("d/loop")));

    const vc::PictureSearch all(dir.path());
    QCOMPARE(all.files().size(), 600);
    QVERIFY(!all.cancelled());

    int calls = 0;
    const vc::PictureSearch stopped(dir.path(), [&](int seen) {
        ++calls;
        return seen < 500;
    });
    QVERIFY(stopped.cancelled());
    QCOMPARE(calls, 2);
    QCOMPARE(stopped.files().size(), 512);

    QVERIFY(vc::PictureSearch(dir.filePath("no such folder")).files().isEmpty());
}

void TestPictureLibrary::relink()
{
    QTemporaryDir dir;
    touch(dir.filePath("kept.png"));
    touch(dir.filePath("new/sub/moved.png"));
    const QStringList params = {pic(dir.filePath("kept.png")), pic("/gone/moved.png"),
                                pic("/gone/nowhere.png"), "1?#000000"};
    const vc::PictureSearch search(dir.filePath("new"));
    const QVector<vc::PictureRelink> r = vc::relinkMissingPictures(params, search);
    QCOMPARE(r.size(), 1);
    QCOMPARE(r.first().index, 1);
    QCOMPARE(r.first().oldPath, QStringLiteral("/gone/moved.png"));
    QCOMPARE(r.first().newPath, dir.filePath("new/sub/moved.png"));
    QCOMPARE(r.first().params, pic(dir.filePath("new/sub/moved.png")));
}

void TestPictureLibrary::exportPlan()
{
    QTemporaryDir src;
    QTemporaryDir out;
    touch(src.filePath("a.png"), "A");
    touch(src.filePath("b.png"), "B");
    touch(src.filePath("other/a.png"), "other A");
    touch(src.filePath("c.png"), "C");
    touch(out.filePath("c.png"), "already there");

    const QStringList params = {pic(src.filePath("a.png")),       pic(src.filePath("a.png")),
                                pic(src.filePath("b.png")),       "1?#ffffff",
                                pic(src.filePath("other/a.png")), pic(src.filePath("gone.png")),
                                pic(src.filePath("c.png"))};
    const vc::PictureExportPlan plan = vc::planPictureExport(params, out.path());
    QCOMPARE(plan.copies.size(), 2);
    QCOMPARE(plan.copies.at(0).source, src.filePath("a.png"));
    QCOMPARE(plan.copies.at(0).target, out.filePath("a.png"));
    QCOMPARE(plan.copies.at(1).source, src.filePath("b.png"));
    QCOMPARE(plan.missing, QStringList{src.filePath("gone.png")});
    QCOMPARE(plan.nameTaken, (QStringList{src.filePath("other/a.png"), src.filePath("c.png")}));

    // A file that appeared after planning is not overwritten either.
    touch(out.filePath("b.png"), "newer");
    const vc::PictureExportResult result = vc::runPictureExport(plan);
    QCOMPARE(result.copied, 1);
    QCOMPARE(result.failed, QStringList{src.filePath("b.png")});
    QCOMPARE(fileBytes(out.filePath("a.png")), QByteArray("A"));
    QCOMPARE(fileBytes(out.filePath("b.png")), QByteArray("newer"));
    QCOMPARE(fileBytes(out.filePath("c.png")), QByteArray("already there"));
}

VC_TEST_MAIN(TestPictureLibrary)
#include "tst_picturelibrary.moc"
