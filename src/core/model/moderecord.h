#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QMutex>
#include <QSize>
#include <QString>

#include <memory>

namespace vc {

// The kind of a mode: the index of the editor tab that produced it.
enum ModeKind
{
    Picture = 0,
    Colour = 1,
    Text = 2,
    Effect = 3
};

// A thumb kept as the PNG it was stored as, unpacked on use: a large
// project opens without unpacking thousands of pictures, and each is
// unpacked when its item is painted, exported or copied. Shared by every
// copy of a record. The pictures unpacked are kept by their stored bytes
// (thumbs of the same picture unpack once), the most recently used first,
// up to UnpackedThumbPixels in all (those of every show): however many
// thumbs a project states, the editor never holds more unpacked at once.
// Any thread may ask.
class PackedThumb
{
public:
    PackedThumb(const QByteArray &source, int offset, int length, QSize size);
    // The size its header states.
    QSize size() const { return m_size; }
    // The picture; null when the stored bytes are damaged.
    QImage image() const;
    // Whether the stored bytes are damaged; checks them without keeping the
    // picture when it was not unpacked yet.
    bool isDamaged() const;

private:
    QImage decode() const;

    QByteArray m_source;
    int m_offset;
    int m_length;
    QSize m_size;
    mutable QMutex m_mutex;
    mutable bool m_checked = false;
    mutable bool m_damaged = false;
};

// One mode as a value. Tracks, project files, the clipboard and drags carry
// it as the byte array encode() writes: a big-endian Qt data stream at the
// default version holding, in this order, the thumb (image), start and end
// (QTime counted from midnight), colour, loops, kind, speed (32-bit
// integers) and the parameter text. Readers ignore bytes after the text.
struct ModeRecord
{
    QImage thumb;      // the pattern, 85 pixels high; x is time, y runs along the LEDs
    qint32 start = -1; // ms from the song's start; -1 is a null time and counts as 0
    qint32 end = -1;   // same unit
    QColor colour;     // the colour of a Colour mode, invalid for the other kinds
    qint32 loops = 1;  // how often the pattern plays within the mode
    qint32 kind = Picture;
    qint32 speed = 0; // 0: loops set by hand; 2..18: loops follow this speed
    QString params;   // the parameter text of the kind, see the builders below

    // The thumb's stream bytes as they were read or last written: the first
    // thumbLength bytes of thumbSource (a record sharing its buffer, so no
    // second copy is kept). Reused while the thumb keeps the same
    // cacheKey(), so re-timing an item does not compress its picture again.
    mutable QByteArray thumbSource;
    mutable int thumbLength = 0;
    mutable qint64 thumbKey = 0;
    // Set instead of `thumb` by a decode that leaves the thumb packed.
    std::shared_ptr<const PackedThumb> packedThumb;

    // The thumb, unpacking a packed one; every reader goes through these.
    QImage thumbImage() const
    {
        return thumb.isNull() && packedThumb ? packedThumb->image() : thumb;
    }
    QSize thumbSize() const
    {
        return thumb.isNull() && packedThumb ? packedThumb->size() : thumb.size();
    }

    int startMs() const { return start < 0 ? 0 : start; }
    int endMs() const { return end < 0 ? 0 : end; }
    int durationMs() const { return endMs() - startMs(); }

    QByteArray encode() const;
    enum ThumbDecoding
    {
        ThumbNow,
        // The thumb stays packed (packedThumb) until it is first needed; its
        // checksums are checked then, and a damaged one reads as no thumb.
        ThumbLater,
        // Packed as ThumbLater, but its checksums are checked now: damaged
        // stored bytes make the record damaged, as ThumbNow finds them.
        ThumbChecked,
    };
    // Reads the eight fields. A truncated or corrupt record gives the fields
    // that could be read (the rest keep their defaults) and *ok = false; a
    // thumb whose header claims a size no thumb has (not ThumbHeight high,
    // or wider than MaxThumbWidth) is skipped without being decoded, and
    // the record is damaged. *used is the length of the eight fields (bytes
    // after them are ignored).
    static ModeRecord decode(const QByteArray &bytes, bool *ok = nullptr, int *used = nullptr,
                             ThumbDecoding thumbs = ThumbNow);

    // Sets the times and, when the mode has a speed, the repeat count that
    // follows from it (see loopsForSpeed), its pattern's width taken from
    // the thumb.
    void retime(int newStart, int newEnd, float frameRate, int leds);
    // The same with the pattern's width W known (as the editor drew it).
    void retimeWithWidth(int newStart, int newEnd, float frameRate, int patternWidth);
};

// Thumbs are 85 pixels high, and never larger than this; anything else is
// not a thumb.
constexpr qint64 MaxThumbPixels = qint64(1) << 24;
// The unpacked packed thumbs kept at most, in pixels (256 MB at four bytes
// a pixel; some three thousand thumbs of the usual size).
constexpr qint64 UnpackedThumbPixels = qint64(1) << 26;
constexpr int ThumbHeight = 85;
constexpr qint64 MaxThumbWidth = MaxThumbPixels / ThumbHeight;

// The size a record's stored thumb states, read from its header without
// decoding anything; invalid when the record has no thumb, or one no
// thumb can be (see decode()).
QSize storedThumbSize(const QByteArray &record);

// The image a raster QPixmap would hold for `image`: the record's thumb has
// always been a pixmap, and Qt streams a pixmap as that image. Opaque
// pictures become RGB32 even in an alpha format; others are premultiplied.
QImage asPixmapWouldHoldIt(const QImage &image);

// The width of an image of the given size once fast-scaled to a height of
// leds pixels, as QImage::scaledToHeight computes it.
int scaledWidthForHeight(QSize size, int leds);

// The repeat count of a mode with a speed: how often a pattern W columns
// wide fits in the mode when played at that speed, as the editor suggests
// it (repeatSuggestion). Returns `fallback` when it cannot be computed (no
// speed, no pattern width).
int loopsForSpeed(int speed, int startMs, int endMs, float frameRate, int patternWidth,
                  int fallback);

// "mm:ss.zzz" of a millisecond count (negative counts as 0), as item
// tooltips and the editor show times.
QString formatTime(int ms);

// ---------------------------------------------------------------- params

// Parameter texts: fields split by "?" and then by "|"; switches "0"/"1";
// colours as "#rrggbb".
QString pictureParams(int loops, const QString &path, int gap, bool flipH, bool flipV);
QString colourParams(const QColor &colour);
QString textParams(int loops, const QColor &colour1, const QColor &colour2, const QString &text,
                   int fontIndex, int fontSizeIndex, int width, bool flipH, bool flipV);
QString effectParams(int loops, const QColor &colour1, const QColor &colour2, int effectIndex,
                     int threeColourState, int effectWidth, bool flipH, bool flipV);

// What a parameter text says, read back for the editor. The repeat count in
// the text is never read back: the record's loops field is the authority.
struct ModeParams
{
    bool oldFormat = false; // written by old versions; cannot be opened
    int kind = -1;
    // Picture
    QString picturePath;
    int gap = 0;
    // Colour, Text, Effect
    QColor colour1;
    QColor colour2;
    // Text
    QString text;
    int fontIndex = 0;
    int fontSizeIndex = 0;
    int width = 0;
    // Effect
    int effectIndex = 0;
    int threeColourState = 0; // only 0, 1 and 2 are meaningful
    int effectWidth = 0;
    // Picture, Text, Effect
    bool flipH = false;
    bool flipV = false;

    bool isOldFormat() const { return oldFormat; }
};

// The parameter text with its repeat count replaced; a text without one
// (a colour, an old or foreign text) is returned as it is.
QString paramsWithLoops(const QString &params, int loops);
// True for texts of old versions: neither "|" nor "#" in them.
bool isOldFormat(const QString &params);
// Missing fields read as 0 / empty; nothing here fails on short texts.
ModeParams parseParams(const QString &params);

} // namespace vc
