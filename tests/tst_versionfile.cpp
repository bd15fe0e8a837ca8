#include "core/about/downloadfile.h"
#include "core/about/updatesource.h"
#include "core/about/versionfile.h"

#include "testsupport/testenv.h"
#include "testsupport/updatekeys.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using vc::update::AssetDigest;
using vc::update::DownloadFile;
using vc::update::Trust;
using vc::update::VersionFile;

Q_DECLARE_METATYPE(Trust)
Q_DECLARE_METATYPE(DownloadFile::Failure)

namespace {

const QByteArray Firmware = QByteArrayLiteral("firmware image bytes");
const QByteArray Installer = QByteArrayLiteral("installer program bytes");

QByteArray signedFile()
{
    return vc::test::signedVersionFile(QStringLiteral("3.2132"), QStringLiteral("甲<br>乙"),
                                       Firmware, Installer);
}

// The signed file with one piece of it replaced.
QByteArray tampered(const QByteArray &from, const QByteArray &to)
{
    QByteArray body = signedFile();
    Q_ASSERT(body.contains(from));
    return body.replace(from, to);
}

} // namespace

// The version file as every editor reads it, and the signature that decides
// whether its update may be offered and its downloads kept.
class TestVersionFile : public QObject
{
    Q_OBJECT

private slots:
    void plainReading_data();
    void plainReading();
    void trust_data();
    void trust();
    void trustedDigests();
    void publishRefuses_data();
    void publishRefuses();
    void keys();
    void download_data();
    void download();
    void downloadBlockedFolder_data();
    void downloadBlockedFolder();
    void serverAddress();
};

void TestVersionFile::plainReading_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<double>("version");
    QTest::addColumn<QString>("notes");

    QTest::newRow("no answer") << QByteArray() << true << QString() << 0.0 << QString();
    QTest::newRow("same as this program")
        << QByteArray("3.21311\n") << false << "3.21311" << 3.21311 << QString();
    QTest::newRow("newer, first line alone")
        << QByteArray("3.2132") << false << "3.2132" << 3.2132 << QString();
    QTest::newRow("spaces and CRLF")
        << QByteArray("  3.3 \r\nnotes") << false << "3.3" << 3.3 << "notes";
    QTest::newRow("notes end at the first ;;")
        << QByteArray("3.2132\n甲<br>乙;;更多;;文字") << false << "3.2132" << 3.2132
        << QStringLiteral("甲<br>乙");
    QTest::newRow(";; in the first line is no separator")
        << QByteArray("3.4;;x\nnotes") << false << "3.4;;x" << 0.0 << "notes";
    QTest::newRow("not a number") << QByteArray("latest\n") << false << "latest" << 0.0
                                  << QString();
    QTest::newRow("nan counts as no number")
        << QByteArray("nan\n") << false << "nan" << 0.0 << QString();
    QTest::newRow("inf counts as no number")
        << QByteArray("inf\n") << false << "inf" << 0.0 << QString();
    QTest::newRow("empty first line is an answer")
        << QByteArray("\n3.5") << false << QString() << 0.0 << "3.5";
}

void TestVersionFile::plainReading()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, empty);
    QFETCH(QString, firstLine);
    QFETCH(double, version);
    QFETCH(QString, notes);
    const VersionFile f = VersionFile::read(body, vc::test::testPublicKey());
    QCOMPARE(f.empty, empty);
    QCOMPARE(f.firstLine, firstLine);
    QCOMPARE(f.version, version);
    QCOMPARE(f.notes, notes);
    QCOMPARE(f.trust, Trust::Unsigned);
}

void TestVersionFile::trust_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<Trust>("trust");

    const QByteArray key = vc::test::testPublicKey();
    const QByteArray body = signedFile();
    const int sig = body.indexOf("signature ");
    QByteArray otherKey = key;
    otherKey[0] = char(otherKey.at(0) ^ 1);

    QTest::newRow("signed") << body << key << Trust::Trusted;
    QTest::newRow("signed, no line break at the end") << body.trimmed() << key << Trust::Trusted;
    QTest::newRow("other key") << body << otherKey << Trust::BadSignature;
    QTest::newRow("no key built in") << body << QByteArray() << Trust::BadSignature;
    QTest::newRow("version raised")
        << tampered("3.2132\n", "9.2132\n") << key << Trust::BadSignature;
    QTest::newRow("notes changed") << tampered("乙", "丙") << key << Trust::BadSignature;
    QTest::newRow("installer digest changed")
        << tampered(vc::test::digestOfBytes(Installer).sha256.toHex(),
                    vc::test::digestOfBytes(Firmware).sha256.toHex())
        << key << Trust::BadSignature;
    QTest::newRow("installer size changed")
        << tampered(" " + QByteArray::number(Installer.size()) + " ",
                    " " + QByteArray::number(Installer.size() + 1) + " ")
        << key << Trust::BadSignature;
    QTest::newRow("line endings changed on the way")
        << QByteArray(body).replace("\n", "\r\n") << key << Trust::Malformed;
    // Only the signature line is not signed: it must be exactly as written.
    QTest::newRow("signature line with a vertical tab")
        << QByteArray(body).replace("signature ed25519:", "signature \x0b"
                                                          "ed25519:")
        << key << Trust::Malformed;
    QTest::newRow("signature removed") << body.left(sig) << key << Trust::Unsigned;
    QTest::newRow("old-style tail") << QByteArray("3.3\nnotes;;anything") << key << Trust::Unsigned;
    QTest::newRow("text after the signature")
        << body + "installer 1 sha256:" + QByteArray(64, '0') + "\n"
        << key << Trust::Malformed;
    QTest::newRow("signature not base64") << body.left(sig) + "signature ed25519:***\n"
                                          << key << Trust::Malformed;
    QTest::newRow("signature too short")
        << body.left(sig) + "signature ed25519:" + QByteArray(32, 'A').toBase64() + "\n"
        << key << Trust::Malformed;
    QTest::newRow("unknown signature kind")
        << QByteArray(body).replace("ed25519:", "rsa:") << key << Trust::Malformed;

    // Correctly signed, but not saying what to download.
    const int published = body.indexOf("published ");
    const QByteArray digests =
        body.mid(body.indexOf(";;\n") + 3, published - body.indexOf(";;\n") - 3);
    const QByteArray firmwareLine = digests.left(digests.indexOf('\n') + 1);
    const QByteArray dates = body.mid(published, sig - published);
    auto signedTail = [](const QByteArray &tail) {
        return vc::update::appendSignature("3.5\nnotes;;\n" + tail, vc::test::testSecretKey());
    };
    QTest::newRow("signed, digests and other lines")
        << signedTail(digests + dates + "later-field 1 2\n") << key << Trust::Trusted;
    QTest::newRow("signed before files carried dates")
        << signedTail(digests) << key << Trust::Undated;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto signedAt = [](const QDateTime &published, int days) {
        return vc::test::signedVersionFile(QStringLiteral("3.5"), QString(), Firmware, Installer,
                                           days, published);
    };
    QTest::newRow("expired: an older file sent again")
        << signedAt(now.addDays(-31), 30) << key << Trust::Expired;
    QTest::newRow("dated more than a day ahead")
        << signedAt(now.addSecs(25 * 3600), 30) << key << Trust::DatedAhead;
    QTest::newRow("dated less than a day ahead (clocks differ)")
        << signedAt(now.addSecs(23 * 3600), 30) << key << Trust::Trusted;
    QTest::newRow("signed, installer missing")
        << signedTail(firmwareLine) << key << Trust::Malformed;
    QTest::newRow("signed, firmware twice")
        << signedTail(firmwareLine + digests) << key << Trust::Malformed;
    QTest::newRow("signed, digest not hex")
        << signedTail(QByteArray(digests).replace(vc::test::digestOfBytes(Firmware).sha256.toHex(),
                                                  QByteArray(64, 'g')))
        << key << Trust::Malformed;
    QTest::newRow("signed, negative size")
        << signedTail(QByteArray(digests).replace("firmware ", "firmware -")) << key
        << Trust::Malformed;
}

void TestVersionFile::trust()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, key);
    QFETCH(Trust, trust);
    const VersionFile f = VersionFile::read(body, key);
    QCOMPARE(f.trust, trust);
    QCOMPARE(f.trusted(), trust == Trust::Trusted);
    if (!f.trusted()) {
        QVERIFY(!f.firmware.isValid());
        QVERIFY(!f.installer.isValid());
    }
}

void TestVersionFile::trustedDigests()
{
    const VersionFile f = VersionFile::read(signedFile(), vc::test::testPublicKey());
    QVERIFY(f.trusted());
    QCOMPARE(f.version, 3.2132);
    QCOMPARE(f.notes, QStringLiteral("甲<br>乙"));
    QCOMPARE(f.firmware, vc::test::digestOfBytes(Firmware));
    QCOMPARE(f.installer, vc::test::digestOfBytes(Installer));
    QCOMPARE(f.firmware.size, qint64(Firmware.size()));
}

void TestVersionFile::publishRefuses_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QByteArray>("secretKey");

    const QByteArray key = vc::test::testSecretKey();
    QTest::newRow("version no number") << "new"
                                       << "notes" << key;
    QTest::newRow("version of two lines") << "3.3\n3.4"
                                          << "notes" << key;
    QTest::newRow("notes with ;;") << "3.3"
                                   << "a;;b" << key;
    QTest::newRow("no secret key") << "3.3"
                                   << "notes" << QByteArray(32, 'k');
}

void TestVersionFile::publishRefuses()
{
    QFETCH(QString, version);
    QFETCH(QString, notes);
    QFETCH(QByteArray, secretKey);
    QString error;
    const QByteArray body =
        vc::update::writeVersionFile(version, notes, vc::test::digestOfBytes(Firmware),
                                     vc::test::digestOfBytes(Installer), secretKey, &error);
    QVERIFY(body.isEmpty());
    QVERIFY(!error.isEmpty());
}

void TestVersionFile::keys()
{
    const vc::update::KeyPair pair = vc::update::generateKeyPair();
    QCOMPARE(pair.publicKey.size(), vc::update::PublicKeyBytes);
    QCOMPARE(vc::update::publicKeyOf(pair.secretKey), pair.publicKey);
    QCOMPARE(vc::update::publicKeyOf(vc::test::testSecretKey()), vc::test::testPublicKey());
    // A file signed with a fresh key checks against that key only.
    QString error;
    const QByteArray body = vc::update::writeVersionFile(
        QStringLiteral("4"), QString(), vc::test::digestOfBytes(Firmware),
        vc::test::digestOfBytes(Installer), pair.secretKey, &error);
    QCOMPARE(VersionFile::read(body, pair.publicKey).trust, Trust::Trusted);
    QCOMPARE(VersionFile::read(body, vc::test::testPublicKey()).trust, Trust::BadSignature);

    // Key files: comment lines allowed, exactly one key of the right size.
    const QByteArray encoded = vc::update::encodeKey(pair.publicKey);
    QCOMPARE(vc::update::decodeKey("# a comment\n" + encoded + "\n", 32), pair.publicKey);
    QVERIFY(vc::update::decodeKey(encoded + "\n" + encoded, 32).isEmpty());
    QVERIFY(vc::update::decodeKey(encoded, 64).isEmpty());
    QVERIFY(vc::update::decodeKey("not base64!", 32).isEmpty());
}

void TestVersionFile::download_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QByteArray>("signedBytes");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<DownloadFile::Failure>("failure");

    const QByteArray bytes = QByteArray(100000, 'x') + "end";
    const QList<QByteArray> whole{bytes.left(40000), bytes.mid(40000)};
    QByteArray wrong = bytes;
    wrong[5] = 'y';

    QTest::newRow("signed bytes") << whole << bytes << qint64(1 << 20)
                                  << DownloadFile::Failure::None;
    QTest::newRow("one byte changed") << QList<QByteArray>{wrong} << bytes << qint64(1 << 20)
                                      << DownloadFile::Failure::WrongDigest;
    QTest::newRow("more than signed") << QList<QByteArray>{bytes, "+"} << bytes << qint64(1 << 20)
                                      << DownloadFile::Failure::TooLarge;
    QTest::newRow("ended short") << QList<QByteArray>{bytes.left(50)} << bytes << qint64(1 << 20)
                                 << DownloadFile::Failure::WrongSize;
    QTest::newRow("signed size over the bound")
        << whole << bytes << qint64(bytes.size() - 1) << DownloadFile::Failure::TooLarge;
    QTest::newRow("empty download signed empty")
        << QList<QByteArray>{} << QByteArray() << qint64(10) << DownloadFile::Failure::None;
}

void TestVersionFile::download()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QByteArray, signedBytes);
    QFETCH(qint64, limit);
    QFETCH(DownloadFile::Failure, failure);

    QTemporaryDir dir;
    const QString relative = QStringLiteral("tool/firm/Vantor.RE.bin");
    const QString target = dir.filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(target).absolutePath()));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("previous firmware");
    old.close();

    {
        DownloadFile file(dir.path(), relative, vc::test::digestOfBytes(signedBytes), limit);
        bool ok = file.open();
        for (const QByteArray &c : qAsConst(chunks))
            ok = ok && file.write(c);
        ok = ok && file.commit();
        QCOMPARE(ok, failure == DownloadFile::Failure::None);
        QCOMPARE(file.failure(), failure);
    }
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), failure == DownloadFile::Failure::None
                                ? signedBytes
                                : QByteArray("previous firmware"));
    // Nothing half-written stays beside the target, nor in the private folder.
    QCOMPARE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Vantor.RE.bin")});
    QCOMPARE(QDir(vc::update::privateDownloadFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList());
}

void TestVersionFile::downloadBlockedFolder_data()
{
    QTest::addColumn<QString>("blocker"); // below the working folder: a plain file, else a link
    QTest::newRow("a file where a folder should be") << "tool";
    // Whoever can write the working folder must not make the download
    // write anywhere else.
    QTest::newRow("a folder on the way is a link") << "tool/firm";
    QTest::newRow("the target is a link") << "tool/firm/Vantor.RE.bin";
}

void TestVersionFile::downloadBlockedFolder()
{
    // Nothing can be written, and the failure says so before a byte is
    // fetched; nothing outside the working folder changes.
    QFETCH(QString, blocker);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    QDir(dir.path()).mkpath(QFileInfo(blocker).path());
    const QString victim = elsewhere.filePath(QStringLiteral("Vantor.RE.bin"));
    QFile outside(victim);
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("someone else's file");
    outside.close();
    if (blocker == QLatin1String("tool")) {
        QFile file(dir.filePath(blocker));
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        const bool folder = !blocker.endsWith(QLatin1String(".bin"));
        QVERIFY(QFile::link(folder ? elsewhere.path() : victim, dir.filePath(blocker)));
    }
    DownloadFile file(dir.path(), QStringLiteral("tool/firm/Vantor.RE.bin"),
                      vc::test::digestOfBytes(Firmware), vc::update::FirmwareLimit);
    QVERIFY(!file.open());
    QCOMPARE(file.failure(), DownloadFile::Failure::CannotWrite);
    QVERIFY2(file.errorString().contains(QFileInfo(blocker).fileName()),
             qPrintable(file.errorString()));
    QVERIFY(!file.write(Firmware));
    QVERIFY(!file.commit());
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Vantor.RE.bin")});
    QVERIFY(outside.open(QIODevice::ReadOnly));
    QCOMPARE(outside.readAll(), QByteArray("someone else's file"));
}

void TestVersionFile::serverAddress()
{
    vc::update::UpdateSource s;
    s.baseUrl = QUrl(QStringLiteral("http://127.0.0.1:8080/mirror/"));
    QCOMPARE(s.url(vc::update::VersionPath).toString(),
             QStringLiteral("http://127.0.0.1:8080/mirror/version"));
    s.baseUrl = QUrl(QStringLiteral("http://127.0.0.1:8080"));
    QCOMPARE(s.url(vc::update::FirmwarePath).toString(),
             QStringLiteral("http://127.0.0.1:8080/assets/file/Vantor.ino.generic_stm32f103r.bin"));

    qputenv("VANTOR_UPDATE_URL", "http://127.0.0.1:1/x");
    const vc::update::UpdateSource built = vc::update::UpdateSource::fromBuild();
    QCOMPARE(built.baseUrl.toString(), QStringLiteral("http://127.0.0.1:1/x"));
    QCOMPARE(built.publicKey.size(), vc::update::PublicKeyBytes);
    QCOMPARE(built.installerLimit, 512LL * 1024 * 1024);
}

VC_TEST_MAIN(TestVersionFile)
#include "tst_versionfile.moc"
