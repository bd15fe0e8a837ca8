#include "core/project/projectextras.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>

namespace vc {

namespace {

const QLatin1String FormatKey("format");
const QLatin1String VersionKey("version");
const QLatin1String BeatGridKey("beatGrid");
const QLatin1String PropsKey("props");
const QLatin1String FormatTag("vantorcreator-project-extras");
constexpr int Version = 1;

} // namespace

QString extrasPathFor(const QString &projectPath)
{
    return projectPath + QLatin1String(".json");
}

QByteArray encodeExtras(const ProjectExtras &extras)
{
    QJsonObject o = extras.other;
    o.insert(FormatKey, FormatTag);
    o.insert(VersionKey, Version);
    if (!extras.beatGrid.isEmpty())
        o.insert(BeatGridKey, extras.beatGrid);
    if (!extras.props.isEmpty()) {
        QJsonArray props;
        for (const PropAssignment &p : extras.props)
            props.append(QJsonObject{{QLatin1String("track"), p.track},
                                     {QLatin1String("name"), p.name},
                                     {QLatin1String("port"), p.port}});
        o.insert(PropsKey, props);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

bool decodeExtras(const QByteArray &bytes, ProjectExtras *extras, QString *error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (!doc.isObject()) {
        *error = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                         : QStringLiteral("not a JSON object");
        return false;
    }
    QJsonObject o = doc.object();
    if (o.value(FormatKey).toString() != FormatTag) {
        *error = QStringLiteral("not a project extras file");
        return false;
    }
    const int version = o.value(VersionKey).toInt(0);
    if (version < 1 || version > Version) {
        *error = QStringLiteral("version %1 is not one this editor reads").arg(version);
        return false;
    }
    ProjectExtras out;
    out.beatGrid = o.value(BeatGridKey).toObject();
    for (const QJsonValue &v : o.value(PropsKey).toArray()) {
        const QJsonObject p = v.toObject();
        PropAssignment a;
        a.track = p.value(QLatin1String("track")).toInt(0);
        a.name = p.value(QLatin1String("name")).toString();
        a.port = p.value(QLatin1String("port")).toString();
        if (a.track < 1)
            continue;
        auto at = std::lower_bound(out.props.begin(), out.props.end(), a.track,
                                   [](const PropAssignment &x, int t) { return x.track < t; });
        // A track named twice keeps its first entry.
        if (at == out.props.end() || at->track != a.track)
            out.props.insert(at, a);
    }
    for (const QLatin1String &known : {FormatKey, VersionKey, BeatGridKey, PropsKey})
        o.remove(known);
    out.other = o;
    *extras = out;
    return true;
}

bool readExtras(const QString &projectPath, ProjectExtras *extras, QString *error)
{
    *extras = ProjectExtras();
    QFile file(extrasPathFor(projectPath));
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    return decodeExtras(file.readAll(), extras, error);
}

bool writeExtras(const QString &projectPath, const ProjectExtras &extras, QString *error)
{
    const QString path = extrasPathFor(projectPath);
    if (extras.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            *error = QStringLiteral("cannot remove %1").arg(path);
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encodeExtras(extras)) < 0 ||
        !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vc
