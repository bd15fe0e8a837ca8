#include "fuzzinputs.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QDir>
#include <QFileInfo>

#include <iterator>
#include <vector>

// Replays the fuzz targets' seed corpora (fuzz/corpus/<target>/) through the
// targets' own input functions. A broken invariant ends the program after
// naming the file, and QtTest names the row it was in.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corporaMatchTargets();
    void replay_data();
    void replay();
};

namespace {

QDir corpusDir(const QString &target)
{
    return QDir(QStringLiteral(VC_FUZZ_CORPUS_DIR "/") + target);
}

QStringList corpusFiles(const QString &target)
{
    return corpusDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void TestFuzzCorpus::corporaMatchTargets()
{
    // A corpus folder nobody replays, or a target without seeds, would
    // leave inputs unchecked without a word.
    QStringList targets;
    for (const fuzz::Target &t : fuzz::targets) {
        targets << QString::fromLatin1(t.name);
        QVERIFY2(!corpusFiles(targets.last()).isEmpty(),
                 qPrintable(QStringLiteral("no seeds in ") + corpusDir(targets.last()).path()));
    }
    const QStringList folders =
        QDir(QStringLiteral(VC_FUZZ_CORPUS_DIR)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : folders)
        QVERIFY2(targets.contains(folder),
                 qPrintable(QStringLiteral("no fuzz target for corpus ") + folder));
}

void TestFuzzCorpus::replay_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("path");
    for (int i = 0; i < int(std::size(fuzz::targets)); ++i) {
        const QString name = QString::fromLatin1(fuzz::targets[i].name);
        for (const QString &file : corpusFiles(name))
            QTest::newRow(qPrintable(name + '/' + file)) << i << corpusDir(name).filePath(file);
    }
}

void TestFuzzCorpus::replay()
{
    QFETCH(int, target);
    QFETCH(QString, path);
    QVERIFY2(QFileInfo(path).isReadable(), qPrintable(path));
    // Handed over as the fuzzer hands them: bytes not followed by a zero, so
    // that a sanitizer build sees a read past their end.
    const QByteArray file = vc::test::fileBytes(path);
    const std::vector<char> bytes(file.begin(), file.end());
    fuzz::setInputName(path);
    fuzz::targets[target].input(QByteArray::fromRawData(bytes.data(), int(bytes.size())));
    fuzz::setInputName(QString());
}

VC_TEST_MAIN(TestFuzzCorpus)

#include "tst_fuzzcorpus.moc"
