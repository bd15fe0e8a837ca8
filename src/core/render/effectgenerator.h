#pragma once

#include <QColor>
#include <QImage>
#include <QMetaType>

namespace vc {

// Everything an effect pattern depends on. The generator keeps no state of
// its own: the same settings always give the same image.
struct EffectSettings
{
    int effect = 0;              // 0..13 (see EffectGenerator::Effect); others: background only
    QColor front{255, 255, 255}; // colour 1 (F)
    QColor back{0, 0, 0};        // colour 2 (B)
    int width = 5;               // 1..10
    int scheme = 0;              // 0 own colour, 1 three hues, 2 hues behind B
    bool revH = false;           // when off the drawing is mirrored left-right
    bool revV = false;           // mirror top-bottom

    bool operator==(const EffectSettings &o) const
    {
        return effect == o.effect && front == o.front && back == o.back && width == o.width &&
               scheme == o.scheme && revH == o.revH && revV == o.revV;
    }
    bool operator!=(const EffectSettings &o) const { return !(*this == o); }
};

namespace EffectGenerator {

enum Effect
{
    Flash = 0,
    Windmill,
    Jump,
    Fade,
    Rainbow,
    Arrow,
    Arrow2,
    Meteor,
    Meteor2,
    Box,
    Static1,
    Static2,
    Static3,
    Static4,
    Count
};

constexpr int Width = 300;
constexpr int Height = 150;

// The effect as drawn, before the finishing mirror (x is time, y runs
// along the LED strip).
QImage draw(const EffectSettings &s);

// The finished pattern: draw() mirrored as the switches ask. With both
// switches off the drawing is mirrored left-right, because the prop plays
// the columns in the opposite order to how they are drawn.
QImage generate(const EffectSettings &s);

// The three hues (in degrees) taken from the front colour for the
// three-colour schemes.
void hues(const QColor &front, int &h1, int &h2, int &h3);

// Fading alpha of step i of n.
inline int fadeAlpha(int i, int n)
{
    return 255 - (i * 255 / n);
}

// The resource name of the effect's drop-down icon.
QString iconName(int effect);

} // namespace EffectGenerator
} // namespace vc

Q_DECLARE_METATYPE(vc::EffectSettings)
