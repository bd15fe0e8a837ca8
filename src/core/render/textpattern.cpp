#include "core/render/textpattern.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace vc::TextPattern {

namespace {
const QChar Bar(u'|');
const QChar Question(u'?');
const QChar BoxBar(0x2502);
const QChar FullQuestion(0xFF1F);
} // namespace

bool hasReserved(const QString &text)
{
    return text.contains(Bar) || text.contains(Question);
}

QString cleaned(const QString &text)
{
    QString out = text;
    out.replace(Bar, BoxBar);
    out.replace(Question, FullQuestion);
    return out;
}

QFont font(const QString &family)
{
    QFont f;
    if (!family.isEmpty())
        f.setFamily(family);
    f.setPointSize(PointSize);
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    return f;
}

QStringList fontFamilies()
{
    const QFontDatabase fonts;
    QStringList out;
    for (const QString &family : fonts.families())
        if (!fonts.isPrivateFamily(family))
            out.append(family);
    return out;
}

QSize measure(const QFont &font, const QString &text)
{
    return QFontMetrics(font).boundingRect(text).size();
}

QSize layoutSize(int bw, int bh, int fontSizeIndex, int widthFactor)
{
    // 64-bit intermediates: bw is a few thousand pixels at 300 points and
    // the product would come close to the 32-bit range for long texts.
    const qint64 width = (qint64(10) * fontSizeIndex + 20) * widthFactor * bw / 500;
    const qint64 height = qint64(10) * bh / (fontSizeIndex + 1);
    return QSize(int(width), int(height));
}

} // namespace vc::TextPattern
