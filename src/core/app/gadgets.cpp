#include "core/app/gadgets.h"

#include <QFile>
#include <QTextStream>

namespace vc {

QVector<GadgetInfo> parseGadgetCatalogue(QIODevice &device)
{
    QVector<GadgetInfo> rows;
    QTextStream in(&device);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 3)
            continue;
        GadgetInfo g;
        g.leds = fields.at(0).toInt();
        g.frameRate = fields.at(1).toInt();
        g.name = fields.at(2);
        rows.append(g);
    }
    return rows;
}

QVector<GadgetInfo> loadGadgetCatalogue(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return parseGadgetCatalogue(file);
}

} // namespace vc
