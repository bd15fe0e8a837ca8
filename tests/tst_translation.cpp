#include "testsupport/testenv.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct Entry
{
    QString context;
    QString source;
    bool unfinished = false;
};

QList<Entry> readTs(const QString &path, QString *error)
{
    QList<Entry> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return out;
    }
    QXmlStreamReader xml(&f);
    QString context;
    Entry current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("context")) {
            context.clear();
        } else if (name == QLatin1String("name") && context.isEmpty()) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            current = Entry{context, QString(), false};
        } else if (name == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            current.unfinished = !type.isEmpty();
            xml.readElementText();
            out << current;
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return out;
}

QString lupdateProgram()
{
    const QString fromQt = QLibraryInfo::location(QLibraryInfo::BinariesPath) + "/lupdate";
    return QFile::exists(fromQt) ? fromQt : QStringLiteral("lupdate");
}

} // namespace

// Every text the code and forms pass to tr() must have a finished entry in
// the translation source, so no later change can forget one.
class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void everySourceTextHasAnEntry();
    void compiledTranslationIsInResources_data();
    void compiledTranslationIsInResources();
};

void TestTranslation::everySourceTextHasAnEntry()
{
    QTemporaryDir dir;
    const QString scanned = dir.filePath(QStringLiteral("scan.ts"));
    QProcess lupdate;
    lupdate.start(lupdateProgram(), {QStringLiteral("-locations"), QStringLiteral("none"),
                                     QStringLiteral("-silent"), QStringLiteral(VC_SOURCE_DIR "/src"),
                                     QStringLiteral("-ts"), scanned});
    QVERIFY2(lupdate.waitForFinished(120000), "lupdate did not finish");
    QCOMPARE(lupdate.exitCode(), 0);

    QString error;
    const QList<Entry> inCode = readTs(scanned, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(inCode.size() > 100);
    const QList<Entry> inTs =
        readTs(QStringLiteral(VC_SOURCE_DIR "/src/resources/language/english.ts"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QHash<QString, bool> known; // context + source -> unfinished
    for (const Entry &e : inTs)
        known.insert(e.context + QChar(0) + e.source, e.unfinished);

    QStringList problems;
    for (const Entry &e : inCode) {
        const QString key = e.context + QChar(0) + e.source;
        if (!known.contains(key))
            problems << QStringLiteral("missing: [%1] %2").arg(e.context, e.source);
        else if (known.value(key))
            problems << QStringLiteral("unfinished: [%1] %2").arg(e.context, e.source);
    }
    QVERIFY2(problems.isEmpty(),
             qPrintable(QStringLiteral("run scripts/update-translations.sh and translate:\n") +
                        problems.join(QLatin1Char('\n'))));
}

void TestTranslation::compiledTranslationIsInResources_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::newRow("menu") << "MainWindow" << "開新檔案" << "New";
    QTest::newRow("gadget") << "MainWindow" << "自訂..." << "Custom...";
    QTest::newRow("no english: source shows") << "MainWindow" << "▲" << "";
    QTest::newRow("effect name") << "MainWindow" << "靜態1" << "static1";
    QTest::newRow("spelling") << "MainWindow" << "三色分離" << "Separate RGB";
    QTest::newRow("upload's own context") << "ExportUpload" << "上傳完成" << "Upload finished";
    QTest::newRow("upload status") << "ExportUpload" << "輸出中" << "uploading";
    QTest::newRow("maintenance's own context")
        << "DeviceMaintenance" << "記憶體清除完成" << "wipe finished";
    QTest::newRow("picture refused")
        << "vc::PictureRead" << "圖片過寬，無法讀取" << "The picture is too wide to load";
}

void TestTranslation::compiledTranslationIsInResources()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QTranslator tr;
    QVERIFY(tr.load(QStringLiteral(":/language/language/english.qm")));
    QTEST(tr.translate(context.toUtf8().constData(), source.toUtf8().constData()), "english");
}

VC_TEST_MAIN(TestTranslation)
#include "tst_translation.moc"
