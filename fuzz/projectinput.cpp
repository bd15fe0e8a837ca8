// The project readers on arbitrary bytes: the binary project format and the
// old text format, and the picture helpers on every parameter text the old
// format yields. Beyond "no crash, no hang, no runaway memory" it checks
// that whatever the binary reader accepts survives a write and a second
// read unchanged.

#include "fuzzinputs.h"

#include "core/project/legacyproject.h"
#include "core/project/picturelibrary.h"
#include "core/project/projectformat.h"
#include "fuzzcheck.h"

#include <cstring>

namespace fuzz {

void projectInput(const QByteArray &bytes)
{
    const vc::ProjectReadResult first = vc::decodeProject(bytes);
    check(!first.project.tracks.isEmpty());
    check(first.status.headerRead || first.project.recordCount() == 0);
    check(first.status.records == first.project.recordCount());
    check(first.project.songPath.size() <= vc::MaxSongPathLength);
    if (first.status.headerRead) {
        const QByteArray written = vc::encodeProject(first.project);
        const vc::ProjectReadResult second = vc::decodeProject(written);
        check(second.status.ok());
        check(second.project.tracks == first.project.tracks);
        check(second.project.songPath == first.project.songPath);
        check(second.project.leds == first.project.leds);
        check(memcmp(&second.project.frameRate, &first.project.frameRate, sizeof(float)) == 0);
        check(vc::encodeProject(second.project) == written);
    }

    const vc::LegacyProject legacy = vc::parseLegacyProject(bytes);
    for (const vc::LegacyMode &m : legacy.modes) {
        const QString path = vc::picturePathOf(m.params);
        const QString moved = vc::replacePicturePath(m.params, QStringLiteral("/x/y.png"));
        check(path.isNull() == (vc::picturePathOf(moved).isNull()));
        check(path.isNull() ? moved == m.params : vc::picturePathOf(moved) == "/x/y.png");
        (void)m.threeColourState();
        (void)m.number(5);
        (void)vc::pictureFileName(path);
    }
}

} // namespace fuzz
