#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>

namespace vc {

// One mode line of an old text project ("start><end><parameters").
//
// The parameter text has parts separated by "?": [0] kind, [1] repeat count
// (for the colour kind: the colour name), [2] a "|"-separated text list,
// [3] a "|"-separated number list. The two lists are filled only when there
// are at least four parts. Every accessor returns an empty text or 0 for a
// missing entry, so a short line can never index past its lists.
//
// What the editor panel takes from each kind:
//   0 picture: picture path = part(2), gap = number(0),
//              flips = flag(1), flag(2)
//   1 colour:  colour 1 = colour(part(1))
//   2 text:    colour 1 = colour(text(0)), colour 2 = colour(text(1)),
//              text = text(2), font index = textNumber(3),
//              font-size index = textNumber(4), width = number(0),
//              flips = flag(1), flag(2)
//   3 effect:  colour 1 = colour(text(0)), colour 2 = colour(text(1)),
//              effect index = textNumber(2),
//              three-colour state = threeColourState() when not -1,
//              effect width = textNumber(4), flips = flag(1), flag(2)
// Every kind: when setsLoops(), the repeat count is loops() and the automatic
// speed is switched off.
struct LegacyMode
{
    // Invalid when the field is not "mm:ss.zzz".
    QTime start;
    QTime end;
    // The raw parameter text and its "?"-parts.
    QString params;
    QStringList parts;
    QStringList texts;
    QStringList numbers;

    // parts[0] as a number; 0 when unparsable.
    int kind() const { return part(0).toInt(); }
    bool setsLoops() const { return parts.size() > 2; }
    int loops() const { return part(1).toInt(); }

    QString part(int i) const { return parts.value(i); }
    QString text(int i) const { return texts.value(i); }
    int textNumber(int i) const { return text(i).toInt(); }
    int number(int i) const { return numbers.value(i).toInt(); }
    bool flag(int i) const { return number(i) != 0; }

    QString picturePath() const { return part(2); }
    // The check state of the three-colour box (0, 1 or 2), or -1 when the
    // file holds another value and the box is to be left as it is.
    int threeColourState() const;

    static QColor colour(const QString &name) { return QColor(name); }
};

struct LegacyProject
{
    // From the first line; 0 when a field is missing or not a number.
    int leds = 0;
    int frameRate = 0;
    // False when the first line has fewer than two fields.
    bool gadgetLineComplete = false;
    QVector<LegacyMode> modes;
    // Lines after the first with fewer than three fields. Empty lines (or
    // lines of blanks only) hold no mode and are not counted.
    int skippedLines = 0;
    // The text encoding the file was read with ("UTF-8" or a fallback).
    QByteArray encoding;
};

// Old projects carry no encoding mark. They are read as UTF-8 when the bytes
// are valid UTF-8 (a leading byte-order mark is dropped); otherwise with the
// system's 8-bit encoding, which is what the program that wrote them used,
// or with ISO-8859-1 where the system encoding is itself UTF-8, so no byte
// is ever lost.
QString decodeLegacyText(const QByteArray &bytes, QByteArray *encoding = nullptr);

// Parses the whole text of an old project.
LegacyProject parseLegacyProject(const QByteArray &bytes);

// Reads an old project file. Returns false when it cannot be opened or
// read, or is larger than any project: errorText then says why in English,
// reason in the interface's language.
bool loadLegacyProjectFile(const QString &path, LegacyProject *project,
                           QString *errorText = nullptr, QString *reason = nullptr);

} // namespace vc
