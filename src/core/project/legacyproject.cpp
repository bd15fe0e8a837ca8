#include "core/project/legacyproject.h"

#include "core/app/fileerrors.h"
#include "core/project/projectformat.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextCodec>

namespace vc {

namespace {

const QString FieldSeparator = QStringLiteral("><");

QTime parseTime(const QString &field)
{
    return QTime::fromString(field, QStringLiteral("mm:ss.zzz"));
}

} // namespace

int LegacyMode::threeColourState() const
{
    bool ok = false;
    const int v = text(3).toInt(&ok);
    return ok && v >= 0 && v <= 2 ? v : -1;
}

QString decodeLegacyText(const QByteArray &bytes, QByteArray *encoding)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    const QString text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0) {
        if (encoding)
            *encoding = "UTF-8";
        // toUnicode() keeps a leading byte-order mark unless told otherwise.
        if (text.startsWith(QChar(0xFEFF)))
            return text.mid(1);
        return text;
    }
    QTextCodec *local = QTextCodec::codecForLocale();
    if (!local || local->mibEnum() == 106 /* UTF-8 */)
        local = QTextCodec::codecForName("ISO-8859-1");
    if (encoding)
        *encoding = local->name();
    return local->toUnicode(bytes);
}

LegacyProject parseLegacyProject(const QByteArray &bytes)
{
    LegacyProject project;
    const QString text = decodeLegacyText(bytes, &project.encoding);
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));

    for (int i = 0; i < lines.size(); ++i) {
        QStringRef line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        // A file that ends with a line break has no further line after it.
        if (i == lines.size() - 1 && i > 0 && line.isEmpty())
            break;
        const QVector<QStringRef> fields = line.split(FieldSeparator);
        if (i == 0) {
            project.leds = fields.value(0).toInt();
            project.frameRate = fields.value(1).toInt();
            project.gadgetLineComplete = fields.size() >= 2;
            continue;
        }
        if (fields.size() < 3) {
            // An empty line holds no mode: it is passed over, not counted
            // among the lines that were not understood.
            if (!line.trimmed().isEmpty())
                ++project.skippedLines;
            continue;
        }
        LegacyMode mode;
        mode.start = parseTime(fields.at(0).toString());
        mode.end = parseTime(fields.at(1).toString());
        mode.params = fields.at(2).toString();
        mode.parts = mode.params.split(QLatin1Char('?'));
        if (mode.parts.size() >= 4) {
            mode.texts = mode.parts.at(2).split(QLatin1Char('|'));
            mode.numbers = mode.parts.at(3).split(QLatin1Char('|'));
        }
        project.modes.append(mode);
    }
    return project;
}

bool loadLegacyProjectFile(const QString &path, LegacyProject *project, QString *errorText,
                           QString *reason)
{
    auto fail = [errorText, reason](const QString &english, const QString &shown) {
        if (errorText)
            *errorText = english;
        if (reason)
            *reason = shown;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString(), fileErrorText(file.errorString()));
    if (file.size() > MaxProjectFileSize)
        return fail(
            QStringLiteral("file too large for a project (%1 bytes)").arg(file.size()),
            QCoreApplication::translate("vc::ProjectReader", "檔案過大（%1 位元組），不是專案檔")
                .arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString(), fileErrorText(file.errorString()));
    *project = parseLegacyProject(bytes);
    return true;
}

} // namespace vc
