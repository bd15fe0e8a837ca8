#include "gui/render/textrender.h"

#include "core/render/textpattern.h"

#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTextEdit>

namespace vc {

namespace {
// Beyond this the pixmap would not fit in memory (a very long text at the
// widest setting); the pattern is then left empty instead.
constexpr qint64 MaxLayoutBytes = qint64(1) << 30;
} // namespace

QImage renderText(const TextLayout &layout)
{
    const QFont font = TextPattern::font(layout.family);
    const QSize bounds = TextPattern::measure(font, layout.text);
    const QSize size = TextPattern::layoutSize(bounds.width(), bounds.height(),
                                               layout.fontSizeIndex, layout.widthFactor);
    if (size.isEmpty() || qint64(size.width()) * size.height() * 4 > MaxLayoutBytes ||
        size.width() > QWIDGETSIZE_MAX || size.height() > QWIDGETSIZE_MAX)
        return QImage();

    QTextEdit edit;
    edit.setAttribute(Qt::WA_DontShowOnScreen);
    edit.setFrameStyle(QFrame::NoFrame);
    edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit.resize(size);
    edit.setFont(font);

    const QColor front(layout.front.red(), layout.front.green(), layout.front.blue());
    const QColor back(layout.back.red(), layout.back.green(), layout.back.blue());
    QPalette palette = edit.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, back);
        palette.setColor(group, QPalette::Text, front);
    }
    edit.setPalette(palette);
    // The user's line is shown as typed, never read as markup.
    edit.setPlainText(layout.text);
    edit.selectAll();
    edit.setAlignment(Qt::AlignLeft);
    QTextCursor cursor = edit.textCursor();
    cursor.clearSelection();
    edit.setTextCursor(cursor);

    QPixmap pixmap(edit.size());
    if (pixmap.isNull())
        return QImage();
    pixmap.fill(back);
    edit.render(&pixmap, QPoint(0, 0), QRegion(),
                QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return pixmap.toImage().mirrored(layout.revH, layout.revV);
}

} // namespace vc
