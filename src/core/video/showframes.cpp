#include "core/video/showframes.h"

#include "core/model/moderecord.h"

#include <QPainter>

#include <algorithm>

namespace vc {

ShowFrames::ShowFrames(const QVector<device::ShowItem> &items, short leds, VideoLook look,
                       QSize size, int fps, int startMs)
    : m_items(items), m_leds(leds), m_look(look), m_fps(std::max(fps, 1)),
      m_startMs(std::max(startMs, 0)), m_out(size, QImage::Format_RGB32)
{
    for (const device::ShowItem &item : m_items)
        m_endMs = std::max(m_endMs, std::max(item.end, 0));
    // Disc or staff alone: the preview's two views side by side on a square
    // per view, of which one is shown.
    const int h = size.height();
    const QSize scratch = look == VideoLook::Both ? size : QSize(2 * h, h);
    m_scratch = QImage(scratch, QImage::Format_ARGB32_Premultiplied);
}

int ShowFrames::frameCount() const
{
    const qint64 span = std::max(m_endMs - m_startMs, 0);
    return static_cast<int>((span * m_fps + 999) / 1000);
}

int ShowFrames::frameTime(int i) const
{
    return m_startMs + static_cast<int>(qint64(i) * 1000 / m_fps);
}

int ShowFrames::itemAt(int t) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        const device::ShowItem &item = m_items.at(i);
        if (t >= std::max(item.start, 0) && t < item.end)
            return i;
    }
    return -1;
}

const QImage &ShowFrames::next()
{
    const int t = frameTime(m_frame);
    const int index = itemAt(t);
    if (index != m_shown) {
        if (index < 0) {
            QImage black(80, 80, QImage::Format_RGB32);
            black.fill(Qt::black);
            m_preview.setPattern(black, m_leds, 1.0, 1);
        } else {
            const device::ShowItem &item = m_items.at(index);
            const int start = std::max(item.start, 0);
            const double seconds = (item.end - start) / 1000.0;
            if (item.kind == Colour) {
                // The editor previews a colour mode as a square of its colour.
                QImage square(80, 80, QImage::Format_RGB32);
                square.fill(item.colour);
                m_preview.setPattern(square, m_leds, seconds, item.loops);
            } else {
                m_preview.setPattern(item.thumb, m_leds, seconds, item.loops);
            }
            m_preview.seek(t, start, item.end);
        }
        m_shown = index;
    }
    m_preview.step(m_frame == 0 ? 0 : t - frameTime(m_frame - 1));
    ++m_frame;

    m_scratch.fill(Qt::transparent);
    {
        QPainter p(&m_scratch);
        m_preview.compose(p, m_scratch.width(), m_scratch.height(), 0);
    }
    m_out.fill(Qt::black);
    QPainter p(&m_out);
    const int h = m_out.height();
    const int x = (m_out.width() - h) / 2;
    switch (m_look) {
    case VideoLook::Both:
        p.drawImage(0, 0, m_scratch);
        break;
    case VideoLook::Disc:
        // The preview draws the disc 0.1 h from the left, 0.9 h wide.
        p.drawImage(x, 0, m_scratch, h / 20, 0, h, h);
        break;
    case VideoLook::Staff:
        p.drawImage(x, 0, m_scratch, h - (h - static_cast<int>(0.9 * h)) / 2, 0, h, h);
        break;
    }
    return m_out;
}

} // namespace vc
