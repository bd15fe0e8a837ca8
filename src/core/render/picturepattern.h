#pragma once

#include <QCache>
#include <QCoreApplication>
#include <QImage>
#include <QString>

namespace vc {

// A picture turned into a light pattern: x is time, y runs along the strip.
struct PicturePattern
{
    // The picture at LED resolution enlarged to 200 pixels high, followed by
    // its black gap. Empty when there is no (readable) picture.
    QImage pattern;
    // Width of the mirrored picture scaled to the LED count's height.
    int pictureColumns = 0;
    // Pattern width W for the repeat-count suggestion.
    int width = 0;
};

// The result of reading a picture file for a pattern.
struct PictureRead
{
    QImage image;  // null when the file is not a readable picture
    QString error; // set when the picture was refused (too large to decode)

    // The refusals' texts are translated in this context.
    Q_DECLARE_TR_FUNCTIONS(vc::PictureRead)
};

// Reads a picture for a pattern of `leds` rows. Very large pictures are
// decoded at a reduced size where the format allows it (the pattern only
// needs `leds` rows), and refused where decoding them whole would take more
// memory than is sensible. A file that is no picture gives a null image.
PictureRead readPictureForLeds(const QString &path, int leds);

// Mirrors, scales to the LED count and adds the gap (in percent of the
// picture width). W counts the picture without its gap.
PicturePattern buildPicturePattern(const QImage &picture, bool flipH, bool flipV, int leds,
                                   int gapPercent);
// The two halves of it: the picture mirrored and scaled (smoothly) to the
// LED count's height, which is all a pattern needs of the file (null for no
// picture, or one too wide)...
QImage ledPicture(const QImage &picture, bool flipH, bool flipV, int leds);
// ...and the pattern made of that: enlarged to 200 pixels high, with its gap.
PicturePattern patternFromLedPicture(const QImage &ledPicture, int gapPercent);

// Reads a picture file into its LED-height picture, as ledPicture() makes
// it; the slow part of loading a large picture, which may run on another
// thread. A refusal or an unreadable file gives a null image.
PictureRead readLedPicture(const QString &path, int leds, bool flipH, bool flipV);
// Whether a picture file is small enough to read at once (its header says
// so without decoding it); larger ones are worth reading in the background.
bool isQuickToRead(const QString &path);

// LED-height pictures already read, by file and by how they were read, so
// that a picture mode selected again, or its mirror switched back, does not
// decode its file again. A file changed since (its size or time) is read
// anew. The pictures are small; the oldest go when they add up to much.
class LedPictureCache
{
public:
    // The key of a file as it is now, read for `leds` and the mirrors.
    static QString keyFor(const QString &path, int leds, bool flipH, bool flipV);
    // Null when the picture is not kept.
    QImage find(const QString &key) const;
    void insert(const QString &key, const QImage &picture);

private:
    QCache<QString, QImage> m_pictures{MaxKeptKiB};
    static constexpr int MaxKeptKiB = 64 * 1024;
};

// Changes the gap of an existing pattern: W now counts the gap too. The
// picture stays at the left; a smaller gap crops the old black strip.
PicturePattern regapPicturePattern(const PicturePattern &current, int leds, int gapPercent);

// Largest picture decoded whole (pixels); larger ones must decode scaled.
constexpr qint64 MaxWholePicturePixels = 64LL * 1024 * 1024;
// Widest pattern, in LED columns: a strip-shaped picture scaled to the LED
// count could otherwise ask for gigabytes.
constexpr qint64 MaxPictureColumns = 65536;

} // namespace vc
