#pragma once

#include "core/render/effectgenerator.h"

#include <QColor>
#include <QString>

namespace vc {

// The settings of a text mode as its parameter text stores them.
struct TextSettings
{
    QColor front{255, 255, 255}; // colour 1: the text
    QColor back{0, 0, 0};        // colour 2: behind the text
    QString text;
    int fontIndex = -1;    // index in the font chooser
    int fontSizeIndex = 9; // 0..9: a line fills (index + 1) / 10 of the height
    int width = 5;         // width factor 1..20
    bool revH = false;
    bool revV = false;
};

// Parameter texts of text and effect modes: fields separated by "?" and,
// inside them, by "|"; colours by name ("#rrggbb"), switches as 0 / 1.
//   text:   2?loops?colour1|colour2|text|font index|font-size index?width|flipH|flipV
//   effect: 3?loops?colour1|colour2|effect|three-colour state|width?0|flipH|flipV
namespace PatternParams {

QString effectText(const EffectSettings &s, int loops);
QString textText(const TextSettings &s, int loops);

// Reads the fields back over base: a missing or unreadable field keeps the
// base value, so a damaged record cannot put a control out of its range.
// Returns false when the text is not of the kind.
bool readEffect(const QString &params, EffectSettings &s);
bool readText(const QString &params, TextSettings &s);

} // namespace PatternParams
} // namespace vc
