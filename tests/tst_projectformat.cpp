#include "core/app/fileerrors.h"
#include "core/model/moderecord.h"
#include "core/project/legacyproject.h"
#include "core/project/projectextras.h"
#include "core/project/projectformat.h"
#include "core/project/projectnames.h"
#include "core/project/recoverycopy.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <limits>

using vc::ProjectData;
using vc::ProjectReadStatus;

Q_DECLARE_METATYPE(vc::ProjectData)

namespace {

QByteArray readData(const QString &name)
{
    return vc::test::readData(QStringLiteral("project/") + name);
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian(v, b.data());
    return b;
}

// The three-track project of the golden file: A (track 1), B empty, C.
ProjectData threeTracks()
{
    ProjectData p;
    p.leds = 80;
    p.frameRate = 2100.0f;
    p.songPath = QStringLiteral("/music/歌 song.mp3");
    p.tracks = {{QByteArray("record A1"), QByteArray("record A2\0\xff", 11)},
                {},
                {QByteArray("record C1")}};
    return p;
}

// A device that hands out its data in small pieces and cannot say how
// much is left, like a pipe.
class TricklingDevice : public QIODevice
{
public:
    explicit TricklingDevice(const QByteArray &data) : m_data(data) {}
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_pos >= m_data.size() && QIODevice::atEnd(); }

protected:
    qint64 readData(char *out, qint64 max) override
    {
        const qint64 n = qMin<qint64>(qMin<qint64>(max, 3), m_data.size() - m_pos);
        memcpy(out, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

} // namespace

class TestProjectFormat : public QObject
{
    Q_OBJECT

private slots:
    void goldenBytes_data();
    void goldenBytes();
    void readGolden();
    void roundTrip_data();
    void roundTrip();
    void everyPrefixKeepsWholeRecords();
    void damagedInput_data();
    void damagedInput();
    void sequentialDeviceReadsTheSame();
    void fileSaveAndLoad();
    void saveFailureIsReported();
    void cancelledSaveKeepsOldFile_data();
    void cancelledSaveKeepsOldFile();
    void recoveryCopyCutShortIsRefused();
    void extrasFile_data();
    void extrasFile();

    void nameRules_data();
    void nameRules();
    void windowTitle_data();
    void windowTitle();
    void gadgetMatching_data();
    void gadgetMatching();
    void truncatedFrameRate_data();
    void truncatedFrameRate();

    void legacyFourKinds();
    void legacyLines_data();
    void legacyLines();
    void legacyEncoding_data();
    void legacyEncoding();
};

void TestProjectFormat::goldenBytes_data()
{
    QTest::addColumn<ProjectData>("project");
    QTest::addColumn<QString>("file");

    ProjectData empty;
    empty.leds = 36;
    empty.frameRate = 1333.0f;
    QTest::newRow("36 LEDs at 1333, no song") << empty << "empty-36-1333.vtc3";
    QTest::newRow("three tracks, middle empty") << threeTracks() << "three-tracks.vtc3";
}

void TestProjectFormat::goldenBytes()
{
    QFETCH(ProjectData, project);
    QFETCH(QString, file);
    QCOMPARE(vc::encodeProject(project), readData(file));
}

void TestProjectFormat::readGolden()
{
    const vc::ProjectReadResult r = vc::decodeProject(readData("three-tracks.vtc3"));
    QVERIFY(r.status.ok());
    QVERIFY(r.status.headerRead);
    QCOMPARE(r.status.records, 3);
    const ProjectData want = threeTracks();
    QCOMPARE(r.project.leds, want.leds);
    QCOMPARE(r.project.frameRate, want.frameRate);
    QCOMPARE(r.project.songPath, want.songPath);
    QCOMPARE(r.project.tracks, want.tracks);

    const vc::ProjectReadResult e = vc::decodeProject(readData("empty-36-1333.vtc3"));
    QVERIFY(e.status.ok());
    QVERIFY(!e.project.hasSong());
    QCOMPARE(e.project.tracks.size(), 1);
    QVERIFY(e.project.tracks.first().isEmpty());
    QCOMPARE(vc::truncatedFrameRate(e.project.frameRate), 1333);
}

void TestProjectFormat::roundTrip_data()
{
    QTest::addColumn<ProjectData>("project");
    QTest::addColumn<int>("tracksAfterLoad");

    QTest::newRow("three tracks") << threeTracks() << 3;
    ProjectData none;
    QTest::newRow("no tracks loads as one empty") << none << 1;
    ProjectData trailing = threeTracks();
    trailing.tracks.append(QVector<QByteArray>());
    trailing.tracks.append(QVector<QByteArray>());
    QTest::newRow("empty last tracks") << trailing << 5;
    ProjectData odd;
    odd.leds = -3;
    odd.frameRate = 1234.5f;
    odd.songPath = QStringLiteral("C:\\Musik\\ä.wav");
    odd.tracks = {{QByteArray(70000, 'x')}};
    QTest::newRow("negative LEDs, fractional rate, big record") << odd << 1;
}

void TestProjectFormat::roundTrip()
{
    QFETCH(ProjectData, project);
    QFETCH(int, tracksAfterLoad);
    const QByteArray first = vc::encodeProject(project);
    const vc::ProjectReadResult r = vc::decodeProject(first);
    QVERIFY(r.status.ok());
    QCOMPARE(r.project.tracks.size(), tracksAfterLoad);
    QCOMPARE(r.project.songPath, project.songPath);
    QCOMPARE(r.project.frameRate, project.frameRate);
    QCOMPARE(vc::encodeProject(r.project), first);
}

// A file cut anywhere loads every record that is whole, and its header only
// when the header is whole.
void TestProjectFormat::everyPrefixKeepsWholeRecords()
{
    const QByteArray full = readData("three-tracks.vtc3");
    const int headerEnd = 2 + 8 + 4 + 34;
    // end offsets of the five records (A1, A2, NEXT, NEXT, C1)
    const QVector<int> ends = {headerEnd + 13, headerEnd + 28, headerEnd + 36, headerEnd + 44,
                               headerEnd + 57};
    QCOMPARE(ends.last(), full.size());
    for (int n = 0; n <= full.size(); ++n) {
        const vc::ProjectReadResult r = vc::decodeProject(full.left(n));
        const bool atBoundary = n == headerEnd || ends.contains(n);
        QCOMPARE(r.status.ok(), atBoundary);
        QCOMPARE(r.status.headerRead, n >= headerEnd);
        if (!r.status.ok()) {
            QCOMPARE(r.status.code, ProjectReadStatus::Truncated);
            QVERIFY(!r.status.detail.isEmpty());
        }
        int whole = 0;
        for (int e : ends)
            whole += n >= e ? 1 : 0;
        const int want = whole >= 5 ? 3 : qMin(whole, 2);
        QCOMPARE(r.status.records, want);
        QCOMPARE(r.project.recordCount(), want);
        QCOMPARE(r.project.tracks.size(), 1 + (whole >= 3) + (whole >= 4));
    }
}

void TestProjectFormat::damagedInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("headerRead");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("reason"); // as the editor says it

    const QByteArray header = readData("empty-36-1333.vtc3");
    const QByteArray rec = be32(3) + "abc";
    const QByteArray head10 = header.left(10);

    QTest::newRow("empty file") << QByteArray() << int(ProjectReadStatus::Truncated) << false << 0
                                << QStringLiteral("檔案在檔頭中途結束");
    QTest::newRow("record length 0xFFFFFFF0")
        << header + rec + be32(0xFFFFFFF0) + "xyz" << int(ProjectReadStatus::Truncated) << true << 1
        << QStringLiteral("檔案在一個 4294967280 位元組的圖樣中途結束");
    QTest::newRow("record length 0x7FFFFFFF")
        << header + be32(0x7FFFFFFF) << int(ProjectReadStatus::Truncated) << true << 0
        << QStringLiteral("檔案在一個 2147483647 位元組的圖樣中途結束");
    QTest::newRow("trailing two bytes")
        << header + rec + QByteArray("\x00\x01", 2) << int(ProjectReadStatus::Truncated) << true
        << 1 << QStringLiteral("檔案在圖樣的長度中途結束");
    QTest::newRow("song path of megabytes")
        << head10 + be32(8u << 20) + QByteArray(64, 'a') << int(ProjectReadStatus::Corrupt) << false
        << 0 << QStringLiteral("音樂路徑的長度 8388608 過長");
    QTest::newRow("song path longer than the file")
        << head10 + be32(2000) + QByteArray(64, 'a') << int(ProjectReadStatus::Truncated) << false
        << 0 << QStringLiteral("檔案在音樂路徑中途結束");
    QTest::newRow("odd song path length")
        << head10 + be32(7) + QByteArray(7, 'a') << int(ProjectReadStatus::Corrupt) << false << 0
        << QStringLiteral("音樂路徑的長度 7 是奇數");
    QTest::newRow("null song path, null and empty records")
        << head10 + be32(0xFFFFFFFF) + be32(0xFFFFFFFF) + be32(0) + rec
        << int(ProjectReadStatus::Ok) << true << 1 << QString();
    // Records whose thumbs state the widest size a thumb may have: a few
    // bytes each, a gigabyte once unpacked for sixteen of them.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" +
                           be32(quint32(vc::MaxThumbWidth)) + be32(vc::ThumbHeight) +
                           QByteArray(9, '\0') + be32(0) + "IEND" + be32(0);
    const QByteArray wide = be32(4 + png.size()) + be32(1) + png;
    QTest::newRow("thumbs stated beyond what one project may hold")
        << header + wide.repeated(17) << int(ProjectReadStatus::Corrupt) << true << 16
        << QStringLiteral("圖樣的縮圖解開後會超過 1024 MB");
}

void TestProjectFormat::damagedInput()
{
    QFETCH(QByteArray, bytes);
    const vc::ProjectReadResult r = vc::decodeProject(bytes);
    QTEST(int(r.status.code), "code");
    QTEST(r.status.headerRead, "headerRead");
    QTEST(r.status.records, "records");
    QVERIFY(r.status.ok() || !r.status.detail.isEmpty());
    QTEST(r.status.reason, "reason");
    QVERIFY(!r.project.tracks.isEmpty());
    if (!r.status.headerRead) {
        QCOMPARE(r.project.leds, qint16(0));
        QVERIFY(!r.project.hasSong());
    }
}

void TestProjectFormat::sequentialDeviceReadsTheSame()
{
    const QByteArray full = readData("three-tracks.vtc3");
    for (int cut : {int(full.size()), int(full.size()) - 1, 20}) {
        const QByteArray bytes = full.left(cut);
        TricklingDevice dev(bytes);
        dev.open(QIODevice::ReadOnly);
        const vc::ProjectReadResult seq = vc::readProject(dev);
        const vc::ProjectReadResult mem = vc::decodeProject(bytes);
        QCOMPARE(seq.status.code, mem.status.code);
        QCOMPARE(seq.status.headerRead, mem.status.headerRead);
        QCOMPARE(seq.project.tracks, mem.project.tracks);
        QCOMPARE(seq.project.songPath, mem.project.songPath);
    }
    // A huge length on a pipe is refused before memory is reserved for it.
    TricklingDevice dev(readData("empty-36-1333.vtc3") + be32(0xFFFFFFF0));
    dev.open(QIODevice::ReadOnly);
    QCOMPARE(vc::readProject(dev).status.code, ProjectReadStatus::Corrupt);
}

void TestProjectFormat::fileSaveAndLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("show.vtc3");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'o'));
    old.close();

    QString error;
    QVERIFY(vc::saveProjectFile(path, threeTracks(), &error));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), readData("three-tracks.vtc3"));

    const vc::ProjectReadResult r = vc::loadProjectFile(path);
    QVERIFY(r.status.ok());
    QCOMPARE(r.project.tracks, threeTracks().tracks);

    const vc::ProjectReadResult missing = vc::loadProjectFile(dir.filePath("none.vtc3"));
    QCOMPARE(missing.status.code, ProjectReadStatus::OpenFailed);
    QVERIFY(!missing.status.headerRead);
    QVERIFY(!missing.status.detail.isEmpty());
    QCOMPARE(missing.status.reason, QStringLiteral("檔案或資料夾不存在"));

    // A folder named like a project is no project, in either format.
    QVERIFY(!vc::loadProjectFile(dir.path()).status.headerRead);
    vc::LegacyProject legacy;
    QVERIFY(!vc::loadLegacyProjectFile(dir.path(), &legacy, &error));
    QVERIFY(!vc::loadLegacyProjectFile(dir.filePath("none.vtc"), &legacy, &error));
    QVERIFY(vc::loadLegacyProjectFile(QStringLiteral(VC_TESTDATA_DIR "/project/four-kinds.vtc"),
                                      &legacy, &error));
    QCOMPARE(legacy.modes.size(), 4);
}

void TestProjectFormat::saveFailureIsReported()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!vc::saveProjectFile(dir.filePath("no/such/folder/x.vtc3"), threeTracks(), &error));
    // The common reasons are said in the interface's words, others in the
    // system's.
    QCOMPARE(vc::fileErrorText(error), QStringLiteral("檔案或資料夾不存在"));
    QFile full(QStringLiteral("/dev/full"));
    if (full.open(QIODevice::WriteOnly)) {
        QVERIFY(full.write(QByteArray(100000, 'x')) < 0 || !full.flush());
        QCOMPARE(vc::fileErrorText(full.errorString()), QStringLiteral("磁碟空間不足"));
    }
    QCOMPARE(vc::fileErrorText(qt_error_string(EROFS)), QStringLiteral("檔案系統為唯讀"));
    QCOMPARE(vc::fileErrorText(qt_error_string(EACCES)), QStringLiteral("沒有存取權限"));
    QCOMPARE(vc::fileErrorText(qt_error_string(EIO)), qt_error_string(EIO));

    // A folder in the way of the file name.
    QVERIFY(QDir(dir.path()).mkdir("taken.vtc3"));
    error.clear();
    QVERIFY(!vc::saveProjectFile(dir.filePath("taken.vtc3"), threeTracks(), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(dir.filePath("taken.vtc3")).isDir());
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

void TestProjectFormat::cancelledSaveKeepsOldFile_data()
{
    QTest::addColumn<int>("cancelAt"); // the record after which Cancel is pressed
    QTest::addColumn<bool>("fileExisted");
    for (int at = 1; at <= 3; ++at)
        QTest::addRow("at record %d", at) << at << true;
    QTest::newRow("new file") << 2 << false;
}

// Cancel at any point of a save leaves the old file byte for byte, and no
// temporary file.
void TestProjectFormat::cancelledSaveKeepsOldFile()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, fileExisted);
    QTemporaryDir dir;
    const QString path = dir.filePath("show.vtc3");
    const QByteArray old = readData("three-tracks.vtc3") + QByteArray("\x01tail");
    if (fileExisted) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    int calls = 0;
    bool cancelled = false;
    QString error;
    const qint64 size = vc::encodedProjectSize(threeTracks());
    QVERIFY(!vc::saveProjectFile(
        path, threeTracks(), &error,
        [&](qint64, qint64 total) {
            ++calls;
            return calls < cancelAt && total == size;
        },
        &cancelled));
    QVERIFY(cancelled);
    QCOMPARE(calls, cancelAt);
    QCOMPARE(QFileInfo::exists(path), fileExisted);
    if (fileExisted)
        QCOMPARE(vc::test::fileBytes(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), fileExisted ? 1 : 0);

    // Not cancelled, the progress counts the bytes of every record up to
    // the whole file, and the save is whole.
    QVector<qint64> done;
    QVERIFY(vc::saveProjectFile(
        path, threeTracks(), &error,
        [&](qint64 d, qint64) {
            done << d;
            return true;
        },
        &cancelled));
    QVERIFY(!cancelled);
    QCOMPARE(done, (QVector<qint64>{size - 13 - 8 - 8 - 15, size - 13 - 8 - 8, size}));
    QCOMPARE(vc::test::fileBytes(path), readData("three-tracks.vtc3"));
}

void TestProjectFormat::extrasFile_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("read"); // "props|other members", or "refused"
    const QByteArray head = R"({"format": "vantorcreator-project-extras", "version": 1)";
    QTest::newRow("props, unknown members kept")
        << head + R"(, "props": [{"track": 2, "name": "B", "port": "p"}], "later": [1]})"
        << "2:B:p|later";
    QTest::newRow("a track named twice keeps its first; no track is dropped")
        << head + R"(, "props": [{"track": 1, "name": "A"}, {"track": 1, "name": "X"},
                                  {"name": "none"}, {"track": 0}]})"
        << "1:A:|";
    QTest::newRow("not JSON") << QByteArray(R"({"format":)") << "refused";
    QTest::newRow("another file") << QByteArray(R"({"format": "x", "version": 1})") << "refused";
    QTest::newRow("a later version")
        << QByteArray(R"({"format": "vantorcreator-project-extras", "version": 2})") << "refused";
}

void TestProjectFormat::extrasFile()
{
    QFETCH(QByteArray, json);
    vc::ProjectExtras extras;
    QString error;
    if (!vc::decodeExtras(json, &extras, &error)) {
        QTEST(QStringLiteral("refused"), "read");
        QVERIFY(!error.isEmpty());
        return;
    }
    QStringList props;
    for (const vc::PropAssignment &p : extras.props)
        props << QStringLiteral("%1:%2:%3").arg(p.track).arg(p.name, p.port);
    QTEST(props.join(QLatin1Char(',')) + QLatin1Char('|') +
              extras.other.keys().join(QLatin1Char(',')),
          "read");
    // Written again, nothing of it is lost.
    vc::ProjectExtras again;
    QVERIFY(vc::decodeExtras(vc::encodeExtras(extras), &again, &error));
    QCOMPARE(again, extras);
}

// A copy whose writing never finished is no copy, wherever it was cut.
void TestProjectFormat::recoveryCopyCutShortIsRefused()
{
    vc::RecoveryCopy copy;
    copy.projectPath = QStringLiteral("/shows/歌.vtc3");
    copy.hasFileName = true;
    copy.writtenAt = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
    copy.session = QByteArray(16, 's');
    copy.project = readData("three-tracks.vtc3");
    copy.extras = QByteArrayLiteral("{}");
    const QByteArray bytes = vc::encodeRecoveryCopy(copy);
    // Written straight from the records, it is the same.
    QByteArray streamed;
    QBuffer buffer(&streamed);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(vc::writeRecoveryCopy(buffer, copy, threeTracks()));
    QCOMPARE(streamed, bytes);
    QCOMPARE(vc::encodedProjectSize(threeTracks()), copy.project.size());

    vc::RecoveryCopy back;
    QVERIFY(vc::decodeRecoveryCopy(bytes, &back));
    QCOMPARE(back.projectPath, copy.projectPath);
    QCOMPARE(back.hasFileName, true);
    QCOMPARE(back.writtenAt, copy.writtenAt);
    QCOMPARE(back.session, copy.session);
    QCOMPARE(back.project, copy.project);
    QCOMPARE(back.extras, copy.extras);
    for (int size = 0; size < bytes.size(); ++size)
        QVERIFY2(!vc::decodeRecoveryCopy(bytes.left(size), &back),
                 qPrintable(QString::number(size)));
    // Zeros where the end of the data should be (space allocated, never written).
    QByteArray zeroed = bytes;
    zeroed.replace(bytes.size() - 40, 40, QByteArray(40, '\0'));
    QVERIFY(!vc::decodeRecoveryCopy(zeroed, &back));
}

void TestProjectFormat::nameRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("current");
    QTest::addColumn<QString>("saveAs");

    QTest::newRow("plain") << "/a/show.vtc3" << true << "/a/show.vtc3";
    QTest::newRow("upper case is the old format") << "/a/show.VTC3" << false << "/a/show.VTC3.vtc3";
    QTest::newRow("backup copy") << "/a/show.vtc3.bak" << true << "/a/show.vtc3.bak";
    QTest::newRow("old text file") << "/a/show.vtc" << false << "/a/show.vtc.vtc3";
    QTest::newRow("no extension") << "/a/show" << false << "/a/show.vtc3";
    QTest::newRow("in a folder name") << "/x.vtc3/show" << true << "/x.vtc3/show";
}

void TestProjectFormat::nameRules()
{
    QFETCH(QString, name);
    QTEST(vc::isCurrentFormatName(name), "current");
    QTEST(vc::withProjectSuffix(name), "saveAs");
}

void TestProjectFormat::windowTitle_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");

    QTest::newRow("unix") << "/home/u/Documents/show.vtc3"
                          << "VantorCreator - show.vtc3  ";
    QTest::newRow("windows") << "C:\\Shows\\a b.vtc"
                             << "VantorCreator - a b.vtc  ";
    QTest::newRow("slash wins over backslash") << "C:\\x/y\\z.vtc3"
                                               << "VantorCreator - y\\z.vtc3  ";
    QTest::newRow("bare name") << "show.vtc3"
                               << "VantorCreator - show.vtc3  ";
}

void TestProjectFormat::windowTitle()
{
    QFETCH(QString, path);
    QTEST(vc::projectWindowTitle(path), "title");
}

void TestProjectFormat::gadgetMatching_data()
{
    QTest::addColumn<int>("leds");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("legacyRow");

    QTest::newRow("first row") << 36 << 1333.0f << 99 << 0 << 0;
    QTest::newRow("same LEDs, second rate") << 80 << 3000.0f << 99 << 4 << 4;
    QTest::newRow("duplicate row: first wins") << 48 << 1100.0f << 99 << 1 << 1;
    QTest::newRow("fractional rate matches no row") << 36 << 1333.5f << 99 << -1 << 0;
    QTest::newRow("no row") << 37 << 1333.0f << 99 << -1 << -1;
    QTest::newRow("row without an action") << 80 << 3000.0f << 4 << -1 << -1;
}

void TestProjectFormat::gadgetMatching()
{
    QFETCH(int, leds);
    QFETCH(float, rate);
    QFETCH(int, rows);
    const QVector<vc::GadgetInfo> cat = {
        {36, 1333, "a"}, {48, 1100, "b"}, {80, 2100, "c"}, {48, 1100, "dup"}, {80, 3000, "e"}};
    QTEST(vc::matchGadgetRow(cat, rows, leds, rate), "row");
    QTEST(vc::matchGadgetRowLegacy(cat, rows, leds, int(rate)), "legacyRow");
}

void TestProjectFormat::truncatedFrameRate_data()
{
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("shown");

    QTest::newRow("whole") << 1333.0f << 1333;
    QTest::newRow("fraction") << 1999.9f << 1999;
    QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << 0;
    QTest::newRow("inf") << std::numeric_limits<float>::infinity() << INT_MAX;
    QTest::newRow("huge negative") << -1e30f << INT_MIN;
}

void TestProjectFormat::truncatedFrameRate()
{
    QFETCH(float, rate);
    QTEST(vc::truncatedFrameRate(rate), "shown");
}

void TestProjectFormat::legacyFourKinds()
{
    const vc::LegacyProject p = vc::parseLegacyProject(readData("four-kinds.vtc"));
    QCOMPARE(p.leds, 36);
    QCOMPARE(p.frameRate, 1333);
    QVERIFY(p.gadgetLineComplete);
    QCOMPARE(p.encoding, QByteArray("UTF-8"));
    QCOMPARE(p.skippedLines, 1); // "broken line"; the empty line holds no mode
    QCOMPARE(p.modes.size(), 4);

    const vc::LegacyMode &pic = p.modes.at(0);
    QCOMPARE(pic.start, QTime(0, 0, 1, 0));
    QCOMPARE(pic.end, QTime(0, 0, 5, 500));
    QCOMPARE(pic.kind(), 0);
    QCOMPARE(pic.picturePath(), QStringLiteral("/p/畫.png"));
    QCOMPARE(pic.number(0), 20);
    QVERIFY(pic.flag(1));
    QVERIFY(!pic.flag(2));
    QVERIFY(pic.setsLoops());
    QCOMPARE(pic.loops(), 3);

    const vc::LegacyMode &col = p.modes.at(1);
    QCOMPARE(col.kind(), 1);
    QCOMPARE(vc::LegacyMode::colour(col.part(1)), QColor(255, 0, 128));
    QVERIFY(!col.setsLoops());
    QVERIFY(col.texts.isEmpty());

    const vc::LegacyMode &txt = p.modes.at(2);
    QCOMPARE(txt.kind(), 2);
    QCOMPARE(vc::LegacyMode::colour(txt.text(0)), QColor(Qt::white));
    QCOMPARE(vc::LegacyMode::colour(txt.text(1)), QColor(Qt::black));
    QCOMPARE(txt.text(2), QStringLiteral("Hi there"));
    QCOMPARE(txt.textNumber(3), 2);
    QCOMPARE(txt.textNumber(4), 5);
    QCOMPARE(txt.number(0), 7);
    QVERIFY(!txt.flag(1));
    QVERIFY(txt.flag(2));
    QCOMPARE(txt.loops(), 4);

    const vc::LegacyMode &fx = p.modes.at(3);
    QCOMPARE(fx.start, QTime(0, 1, 0, 0));
    QCOMPARE(fx.kind(), 3);
    QCOMPARE(fx.textNumber(2), 9);
    QCOMPARE(fx.threeColourState(), 1);
    QCOMPARE(fx.textNumber(4), 12);
    QVERIFY(fx.flag(1));
    QVERIFY(fx.flag(2));
}

void TestProjectFormat::legacyLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("leds");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("modes");
    QTest::addColumn<int>("skipped");

    QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0 << 0;
    QTest::newRow("first line one field") << QByteArray("48\n") << 48 << 0 << 0 << 0;
    QTest::newRow("unparsable gadget") << QByteArray("x><y\n") << 0 << 0 << 0 << 0;
    QTest::newRow("two fields skipped")
        << QByteArray("1><2\n00:00.000><00:01.000\n") << 1 << 2 << 0 << 1;
    QTest::newRow("no final newline")
        << QByteArray("1><2\n00:00.000><00:01.000><1?#000000") << 1 << 2 << 1 << 0;
    QTest::newRow("short lists do not break")
        << QByteArray("1><2\nbad><time><3?1?#fff?\n\n") << 1 << 2 << 1 << 0;
    QTest::newRow("empty lines hold no mode")
        << QByteArray("1><2\n\n \t\r\n00:00.000><00:01.000><1?#000000\n\nx><y\n") << 1 << 2 << 1
        << 1;
}

void TestProjectFormat::legacyLines()
{
    QFETCH(QByteArray, text);
    const vc::LegacyProject p = vc::parseLegacyProject(text);
    QTEST(p.leds, "leds");
    QTEST(p.frameRate, "rate");
    QTEST(p.modes.size(), "modes");
    QTEST(p.skippedLines, "skipped");
    for (const vc::LegacyMode &m : p.modes) {
        // Reading past the short lists gives empty values.
        QCOMPARE(m.text(7), QString());
        QCOMPARE(m.number(7), 0);
        QCOMPARE(m.threeColourState(), -1);
    }
    if (QTest::currentDataTag() == QLatin1String("short lists do not break")) {
        QVERIFY(!p.modes.first().start.isValid());
        QCOMPARE(p.modes.first().texts, QStringList{"#fff"});
        QCOMPARE(p.modes.first().numbers, QStringList{""});
    }
}

void TestProjectFormat::legacyEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("utf-8") << QByteArray("a\xc3\xa4") << QStringLiteral("aä");
    QTest::newRow("utf-8 with mark") << QByteArray("\xef\xbb\xbf"
                                                   "36")
                                     << QStringLiteral("36");
    // Under a UTF-8 system locale the fallback keeps every byte.
    QTest::newRow("not utf-8") << QByteArray("a\xe4") << QStringLiteral("aä");
}

void TestProjectFormat::legacyEncoding()
{
    QFETCH(QByteArray, bytes);
    QByteArray used;
    const QString text = vc::decodeLegacyText(bytes, &used);
    if (QTest::currentDataTag() == QLatin1String("not utf-8") && used != "ISO-8859-1")
        QSKIP("the system encoding is not UTF-8");
    QTEST(text, "text");
}

VC_TEST_MAIN(TestProjectFormat)
#include "tst_projectformat.moc"
