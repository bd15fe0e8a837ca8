// Draws the effect tab's drop-down icons and the effects contact sheet
// with the effect generator itself, so that both always show what the
// generator really draws.
//
//   effectart icons src/resources/icon
//   effectart sheet docs/effects.png
//   effectart one 9 10 0 '#ffffff/#000000' box.png   (one pattern at full size)

#include "core/render/effectgenerator.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

using namespace vc;

namespace {

int writeIcons(const QString &dir)
{
    QDir().mkpath(dir);
    for (int e = 0; e < EffectGenerator::Count; ++e) {
        EffectSettings s;
        s.effect = e;
        s.scheme = 1; // the three hues show the shape best at icon size
        const QImage img = EffectGenerator::generate(s).scaled(96, 48, Qt::IgnoreAspectRatio,
                                                               Qt::SmoothTransformation);
        const QString name = EffectGenerator::iconName(e).mid(QStringLiteral(":/icon/").size());
        const QString path = dir + QLatin1Char('/') + name;
        const bool jpeg = name.endsWith(QLatin1String(".jpg"));
        if (!img.convertToFormat(QImage::Format_RGB888)
                 .save(path, jpeg ? "JPG" : "BMP", jpeg ? 92 : -1)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

int writeSheet(const QString &file)
{
    static const char *const names[EffectGenerator::Count] = {
        "flash",  "windmill", "jump", "fade",     "rainbow",  "arrow",    "arrow2",
        "meteor", "meteor2",  "box",  "static 1", "static 2", "static 3", "static 4"};
    const int cellW = 150, cellH = 75, gap = 6, left = 80, top = 40;
    const int widths[3] = {1, 5, 10};
    const int cols = 9;
    QImage sheet(left + cols * (cellW + gap), top + EffectGenerator::Count * (cellH + gap),
                 QImage::Format_RGB32);
    sheet.fill(QColor(50, 55, 60));
    QPainter p(&sheet);
    QFont font;
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::white);
    for (int col = 0; col < cols; ++col) {
        const QString head = QStringLiteral("w%1 s%2").arg(widths[col / 3]).arg(col % 3);
        p.drawText(QRect(left + col * (cellW + gap), 0, cellW, top), Qt::AlignCenter, head);
    }
    for (int e = 0; e < EffectGenerator::Count; ++e) {
        const int y = top + e * (cellH + gap);
        p.drawText(QRect(0, y, left - 6, cellH), Qt::AlignRight | Qt::AlignVCenter,
                   QLatin1String(names[e]));
        for (int col = 0; col < cols; ++col) {
            EffectSettings s;
            s.effect = e;
            s.front = QColor(255, 200, 40);
            s.back = QColor(30, 20, 90);
            s.width = widths[col / 3];
            s.scheme = col % 3;
            const QImage img = EffectGenerator::generate(s).scaled(
                cellW, cellH, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            p.drawImage(left + col * (cellW + gap), y, img);
        }
    }
    p.end();
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!sheet.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // No window is shown: run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("icons"))
        return writeIcons(args.at(2));
    if (args.size() == 3 && args.at(1) == QLatin1String("sheet"))
        return writeSheet(args.at(2));
    if (args.size() == 7 && args.at(1) == QLatin1String("one")) {
        // effectart one <effect> <width> <scheme> <front>/<back> <file.png>
        EffectSettings s;
        s.effect = args.at(2).toInt();
        s.width = args.at(3).toInt();
        s.scheme = args.at(4).toInt();
        const QStringList colours = args.at(5).split(QLatin1Char('/'));
        s.front = QColor(colours.value(0));
        s.back = QColor(colours.value(1));
        return EffectGenerator::generate(s).save(args.at(6)) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: effectart icons <dir> | sheet <file.png> | one <effect> <width> "
                         "<scheme> <front>/<back> <file.png>\n");
    return 2;
}
