#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

namespace vc::TextPattern {

// The point size the text is laid out at; the pattern is scaled down to
// the LED count later, so a large size keeps the glyphs sharp.
constexpr int PointSize = 300;

// "|" and "?" separate the fields of a mode's parameter text, so a text
// mode may not contain them.
bool hasReserved(const QString &text);
// The text with "|" as "│" (U+2502) and "?" as "？" (U+FF1F).
QString cleaned(const QString &text);

// The layout font: the family (empty: the default font) at PointSize,
// normal weight, upright.
QFont font(const QString &family);

// The font families a text mode's font index counts through, as the
// editor's font chooser lists them: the installed families, without the
// private ones of the platform.
QStringList fontFamilies();

// The single-line bounding size of text in font.
QSize measure(const QFont &font, const QString &text);

// The layout size for a text whose single-line bounds are bw x bh.
// fontSizeIndex i (0..9): one line fills (i + 1) / 10 of the height.
// widthFactor k (1..20): the layout is (10 i + 20) k / 500 of bw wide.
QSize layoutSize(int bw, int bh, int fontSizeIndex, int widthFactor);

} // namespace vc::TextPattern
