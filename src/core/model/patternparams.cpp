#include "core/model/patternparams.h"

#include "core/model/moderecord.h"

#include <QStringList>

#include <algorithm>

namespace vc::PatternParams {

namespace {

const QChar Field(u'?');
const QChar Sub(u'|');

struct Parts
{
    int kind = -1;
    QStringList a; // the third field, split at "|"
    QStringList b; // the fourth field, split at "|"
};

Parts split(const QString &params)
{
    Parts p;
    const QStringList parts = params.split(Field);
    bool ok = false;
    p.kind = parts.value(0).toInt(&ok);
    if (!ok)
        p.kind = -1;
    if (parts.size() >= 3) {
        p.a = parts.at(2).split(Sub);
        p.b = parts.value(3).split(Sub);
    }
    return p;
}

void readColour(const QStringList &list, int i, QColor &c)
{
    const QColor read(list.value(i));
    if (i < list.size() && read.isValid())
        c = QColor(read.red(), read.green(), read.blue());
}

void readInt(const QStringList &list, int i, int lo, int hi, int &v)
{
    bool ok = false;
    const int read = list.value(i).toInt(&ok);
    if (ok)
        v = std::clamp(read, lo, hi);
}

void readFlag(const QStringList &list, int i, bool &v)
{
    bool ok = false;
    const int read = list.value(i).toInt(&ok);
    if (ok)
        v = read != 0;
}

// What text and effect modes share: the two colours at the head of the
// third field and the two flips after the width in the fourth.
template <class Settings> void readColoursAndFlips(const Parts &p, Settings &s)
{
    readColour(p.a, 0, s.front);
    readColour(p.a, 1, s.back);
    readFlag(p.b, 1, s.revH);
    readFlag(p.b, 2, s.revV);
}

} // namespace

// One grammar for every kind: the builders of the mode record write them.
QString effectText(const EffectSettings &s, int loops)
{
    return effectParams(loops, s.front, s.back, s.effect, s.scheme, s.width, s.revH, s.revV);
}

QString textText(const TextSettings &s, int loops)
{
    return textParams(loops, s.front, s.back, s.text, s.fontIndex, s.fontSizeIndex, s.width, s.revH,
                      s.revV);
}

bool readEffect(const QString &params, EffectSettings &s)
{
    const Parts p = split(params);
    if (p.kind != 3)
        return false;
    readColoursAndFlips(p, s);
    readInt(p.a, 2, 0, EffectGenerator::Count - 1, s.effect);
    // Only the three states of the check box are taken.
    bool ok = false;
    const int scheme = p.a.value(3).toInt(&ok);
    if (ok && scheme >= 0 && scheme <= 2)
        s.scheme = scheme;
    readInt(p.a, 4, 1, 10, s.width);
    return true;
}

bool readText(const QString &params, TextSettings &s)
{
    const Parts p = split(params);
    if (p.kind != 2)
        return false;
    readColoursAndFlips(p, s);
    if (p.a.size() > 2)
        s.text = p.a.at(2);
    readInt(p.a, 3, -1, 1 << 20, s.fontIndex);
    readInt(p.a, 4, 0, 9, s.fontSizeIndex);
    readInt(p.b, 0, 1, 20, s.width);
    return true;
}

} // namespace vc::PatternParams
