#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QVector>

#include <functional>

class QIODevice;

namespace vc::device {

// One mode of the exported track, reduced to what the prop needs.
struct ShowItem
{
    int start = 0; // ms from the start of the song; -1 (a null time) counts as 0
    int end = 0;   // ms, same rule
    int kind = 0;  // mode kind; only Colour (1) is special
    QColor colour; // used by colour modes
    int loops = 1; // repeat count per column of a picture block
    QImage thumb;  // the stored pattern, 85 pixels high
};

// Everything a build reads besides the items.
struct ShowSettings
{
    qint16 leds = 0;        // pixels per column
    float frameRate = 0.0f; // columns (ticks) per second
    int fpsText = 0;        // the FPS_V value, written into the header as text
    int slot = 1;           // show slot on the prop, 1..8
    bool autoRepeat = true; // loop marker at the end of the frame stream
    int startMarkMs = 0;    // where the show begins
};

// Why a build refused to write an image the prop could not read.
enum class BuildRefusal
{
    None,
    EmptyTrack,    // no item at all
    LedCount,      // LED count outside 1..255 (one header byte)
    FrameRate,     // no frame rate (below 1 column per second): nothing would play
    TooManyBlocks, // more than 255 blocks (one header byte)
    WriteFailed,   // the frame stream device did not take the bytes
};

struct BuildResult
{
    BuildRefusal refusal = BuildRefusal::None;
    int blocks = 0;        // blocks the image holds (or would need, when refused)
    qint64 frameBytes = 0; // size of the frame stream
    bool ok() const { return refusal == BuildRefusal::None; }
};

constexpr int MaxLeds = 255;
constexpr int MaxBlocks = 255;
// Pauses up to this length add no dark block; the next block starts at once.
constexpr int DarkGapMs = 240;
constexpr int ColourMode = 1;

// The brightness curve of the prop: v * v / 750. It also keeps every pixel
// byte at or below 86, so that 0xFE and 0xFF can mark column and block ends.
quint8 exportCurve(int value);

// How many blocks the items make: one per item plus a dark block for a
// lead-in or a gap longer than DarkGapMs.
int countBlocks(const QVector<ShowItem> &items, int startMarkMs);

// Builds the show image of items (in play order) into the header stream
// (returned in *header, it is small) and the frame stream (written to
// frames as it is produced, so long shows need no second copy in memory).
// Nothing is written when the build is refused for its input.
// progress, when set, is called with 0..98 before each item.
BuildResult buildShowImage(const QVector<ShowItem> &items, const ShowSettings &settings,
                           QByteArray *header, QIODevice *frames,
                           const std::function<void(int)> &progress = {});

// Convenience for callers that want both streams in memory.
struct ShowImage
{
    BuildResult result;
    QByteArray header;
    QByteArray frames;
};
ShowImage buildShowImage(const QVector<ShowItem> &items, const ShowSettings &settings);

// The header bytes the upload sends after the slot byte: everything from
// offset 1 up to the last two bytes (the final "0" and the string's end).
QByteArray headerWireBytes(const QByteArray &header);

} // namespace vc::device
