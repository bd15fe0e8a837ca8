// The mode record decoder on arbitrary bytes, as a project file, the
// clipboard or a drop would hand them over, and then the readers of the
// parameter text. A record that decodes cleanly must come back unchanged
// from an encode and a second decode.

#include "fuzzinputs.h"

#include "core/model/moderecord.h"
#include "core/project/picturelibrary.h"
#include "fuzzcheck.h"

namespace fuzz {

void modeRecordInput(const QByteArray &bytes)
{
    bool ok = false;
    const vc::ModeRecord r = vc::ModeRecord::decode(bytes, &ok);
    // Only a thumb of the editor's height and width is ever unpacked.
    check(r.thumb.isNull() ||
          (r.thumb.height() == vc::ThumbHeight && r.thumb.width() <= vc::MaxThumbWidth));
    check(r.thumb.isNull() || vc::storedThumbSize(bytes) == r.thumb.size());

    const vc::ModeParams p = vc::parseParams(r.params);
    (void)p;
    const QString path = vc::picturePathOf(r.params);
    (void)vc::replacePicturePath(r.params, QStringLiteral("/x.png"));
    (void)vc::pictureFileName(path);
    (void)r.durationMs();

    if (ok) {
        const QByteArray again = r.encode();
        bool ok2 = false;
        const vc::ModeRecord s = vc::ModeRecord::decode(again, &ok2);
        check(ok2);
        check(s.start == r.start && s.end == r.end);
        // Colours are compared through their bytes below: an extended-range
        // colour may hold NaN components, which never compare equal.
        check(s.colour.spec() == r.colour.spec());
        check(s.loops == r.loops && s.kind == r.kind && s.speed == r.speed);
        check(s.params == r.params);
        check(s.thumb.size() == r.thumb.size());
        check(s.encode() == again);
    }
}

} // namespace fuzz
