#pragma once

#include "core/device/showimage.h"
#include "core/render/proppreview.h"

#include <QImage>
#include <QVector>

namespace vc {

// What a video frame shows of the prop.
enum class VideoLook
{
    Disc,
    Staff,
    Both,
};

// Draws a track's modes as the preview shows them, frame by frame at a
// fixed frame rate: the preview's own drawing, stepped by the video's frame
// times instead of the screen's, so the same show always gives the same
// frames. Before and between modes the prop shows black, as in the editor.
class ShowFrames
{
public:
    ShowFrames(const QVector<device::ShowItem> &items, short leds, VideoLook look, QSize size,
               int fps, int startMs);

    // Where the video ends: the end of the last mode.
    int endMs() const { return m_endMs; }
    int frameCount() const;
    // The time of frame i, in ms from the start of the song.
    int frameTime(int i) const;
    // Draws the next frame (the first call gives frame 0).
    const QImage &next();

private:
    int itemAt(int t) const;

    QVector<device::ShowItem> m_items;
    short m_leds;
    VideoLook m_look;
    int m_fps;
    int m_startMs;
    int m_endMs = 0;
    int m_frame = 0;
    int m_shown = -2; // index of the item whose pattern the preview holds; -1 black
    PropPreview m_preview;
    QImage m_scratch;
    QImage m_out;
};

} // namespace vc
