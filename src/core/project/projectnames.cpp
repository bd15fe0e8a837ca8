#include "core/project/projectnames.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace vc {

namespace {
const QString Suffix = QStringLiteral(".vtc3");
}

bool isCurrentFormatName(const QString &path)
{
    return path.contains(Suffix, Qt::CaseSensitive);
}

QString withProjectSuffix(const QString &name)
{
    return isCurrentFormatName(name) ? name : name + Suffix;
}

QString unusedProjectName(const QString &folder, const QString &base)
{
    const QDir dir(folder);
    QString name = dir.filePath(base + Suffix);
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = dir.filePath(QStringLiteral("%1 %2").arg(base).arg(n) + Suffix);
    return name;
}

QString projectDisplayName(const QString &path)
{
    int cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut < 0)
        cut = path.lastIndexOf(QLatin1Char('\\'));
    return path.mid(cut + 1);
}

QString projectWindowTitle(const QString &path)
{
    return untitledWindowTitle() + QStringLiteral(" - ") + projectDisplayName(path) +
           QStringLiteral("  ");
}

QString untitledWindowTitle()
{
    return QStringLiteral("VantorCreator");
}

int matchGadgetRow(const QVector<GadgetInfo> &catalogue, int rows, int leds, float frameRate)
{
    const int n = qMin(rows, catalogue.size());
    for (int i = 0; i < n; ++i) {
        const GadgetInfo &g = catalogue.at(i);
        if (g.leds == leds && float(g.frameRate) == frameRate)
            return i;
    }
    return -1;
}

int matchGadgetRowLegacy(const QVector<GadgetInfo> &catalogue, int rows, int leds, int frameRate)
{
    const int n = qMin(rows, catalogue.size());
    for (int i = 0; i < n; ++i) {
        const GadgetInfo &g = catalogue.at(i);
        if (g.leds == leds && g.frameRate == frameRate)
            return i;
    }
    return -1;
}

int truncatedFrameRate(float frameRate)
{
    if (std::isnan(frameRate))
        return 0;
    if (frameRate >= 2147483648.0f)
        return std::numeric_limits<int>::max();
    if (frameRate <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return int(frameRate);
}

} // namespace vc
