#pragma once

#include <QIODevice>
#include <QString>
#include <QVector>

namespace vc {

// One row of the built-in prop catalogue.
struct GadgetInfo
{
    int leds = 0;
    int frameRate = 0;
    QString name;
};

// Reads the catalogue text: one gadget per line, "leds,frameRate,name".
// Lines with fewer than three fields are skipped: a half row would put a
// nameless prop with zero LEDs into the menu.
QVector<GadgetInfo> parseGadgetCatalogue(QIODevice &device);
QVector<GadgetInfo> loadGadgetCatalogue(const QString &path = QStringLiteral(":/presets/gadgets.txt"));

} // namespace vc
