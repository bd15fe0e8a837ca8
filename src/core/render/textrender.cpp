#include "core/render/textrender.h"

#include "core/render/textpattern.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace vc {

namespace {

// Beyond this the image would not fit in memory (a very long text at the
// widest setting); the pattern is then left empty instead.
constexpr qint64 MaxLayoutBytes = qint64(1) << 30;
// Longest side of a layout, in pixels.
constexpr int MaxLayoutSide = (1 << 24) - 1;

// The stored text patterns show the part of the layout that holds the end
// of the text, as a text editor scrolled to its cursor there: the cursor
// is one pixel wide, and kept 5 pixels clear of the view's sides.
constexpr int CursorWidth = 1;
constexpr int CursorMargin = 5;

// The offset of a view `visible` long that shows [at, at + length), moved
// as little as possible from 0 and held to 0..maximum.
int offsetShowing(int at, int length, int visible, int maximum)
{
    int offset = 0;
    if (at < offset)
        offset = at;
    else if (at + length > offset + visible)
        offset = at + length - visible;
    return std::clamp(offset, 0, std::max(maximum, 0));
}

// Where the cursor stands after the last character, in document
// coordinates, with its margins.
QRect endCursor(const QTextDocument &doc)
{
    const int position = doc.characterCount() - 1;
    const QTextBlock block = doc.findBlock(position);
    const QPointF origin = doc.documentLayout()->blockBoundingRect(block).topLeft();
    const int inBlock = position - block.position();
    const QTextLine line = block.layout()->lineForTextPosition(inBlock);
    QRectF cursor(origin.x(), origin.y(), CursorWidth, 10);
    if (line.isValid())
        cursor = QRectF(origin.x() + line.cursorToX(inBlock), origin.y() + line.y(), CursorWidth,
                        line.height());
    return cursor.adjusted(-CursorMargin, 0, CursorMargin, 0).toRect();
}

} // namespace

QImage renderText(const TextLayout &layout)
{
    const QFont font = TextPattern::font(layout.family);
    const QSize bounds = TextPattern::measure(font, layout.text);
    const QSize size = TextPattern::layoutSize(bounds.width(), bounds.height(),
                                               layout.fontSizeIndex, layout.widthFactor);
    if (size.isEmpty() || qint64(size.width()) * size.height() * 4 > MaxLayoutBytes ||
        size.width() > MaxLayoutSide || size.height() > MaxLayoutSide)
        return QImage();

    // No paint device: the document lays out at the default resolution,
    // the one the text was measured at.
    QTextDocument doc;
    doc.setDefaultFont(font);
    QTextOption option = doc.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);
    // The user's line is shown as typed, never read as markup.
    doc.setPlainText(layout.text);
    {
        QTextCursor all(&doc);
        all.select(QTextCursor::Document);
        QTextBlockFormat left;
        left.setAlignment(Qt::AlignLeft);
        all.mergeBlockFormat(left);
    }
    doc.setPageSize(QSizeF(size.width(), -1));

    const QSize docSize = doc.documentLayout()->documentSize().toSize();
    const QRect cursor = endCursor(doc);
    const int x =
        offsetShowing(cursor.x(), cursor.width(), size.width(), docSize.width() - size.width());
    const int y =
        offsetShowing(cursor.y(), cursor.height(), size.height(), docSize.height() - size.height());

    const QColor front(layout.front.red(), layout.front.green(), layout.front.blue());
    const QColor back(layout.back.red(), layout.back.green(), layout.back.blue());
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    image.fill(back);

    QAbstractTextDocumentLayout::PaintContext context;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        context.palette.setColor(group, QPalette::Base, back);
        context.palette.setColor(group, QPalette::Text, front);
    }
    context.clip = QRectF(QPointF(x, y), QSizeF(size));
    QPainter painter(&image);
    painter.translate(-x, -y);
    painter.setClipRect(context.clip, Qt::IntersectClip);
    doc.documentLayout()->draw(&painter, context);
    painter.end();
    return image.mirrored(layout.revH, layout.revV);
}

} // namespace vc
