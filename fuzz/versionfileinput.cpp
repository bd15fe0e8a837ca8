// The version file reader on arbitrary bytes, as any server (or anyone
// between the programs and the server) could send them. Only the plain
// reading may follow from such bytes: nothing unsigned is ever trusted.

#include "fuzzinputs.h"

#include "core/about/versionfile.h"
#include "fuzzcheck.h"

#include <cmath>

namespace fuzz {

void versionFileInput(const QByteArray &bytes)
{
    // The test key's public half, which the seed corpus is signed with.
    static const QByteArray key =
        QByteArray::fromBase64("6UMLgigaAi8TBC5BXf10vj7envQ0hIurUW0yg7fLagk=");
    // A fixed clock inside the seed corpus's dates, so that its signed files
    // stay in date and the trusted path stays reachable.
    static const QDateTime now(QDate(2025, 1, 2), QTime(0, 0), Qt::UTC);
    const vc::update::VersionFile f = vc::update::VersionFile::read(bytes, key, now);
    check(f.empty == bytes.isEmpty());
    check(std::isfinite(f.version));
    check(!f.notes.contains(QLatin1String(";;")));
    check(!f.firstLine.contains(QLatin1Char('\n')));
    // Digests come only with trust, and trust needs a signature line.
    check(f.trusted() == (f.firmware.isValid() && f.installer.isValid()));
    check(!f.trusted() || bytes.contains("\nsignature ed25519:"));
    if (f.trusted()) {
        // The signature line exactly as it is written, and the last line.
        const QByteArray line = bytes.mid(bytes.lastIndexOf("\nsignature ed25519:") + 1);
        const QByteArray text = line.endsWith('\n') ? line.chopped(1) : line;
        check(text.count(' ') == 1);
        for (const char c : text)
            check(c > ' ' || c == ' ');
    }
    // Trust is only ever given in date; dates come only with a signature.
    check(!f.trusted() ||
          (f.published.secsTo(now) >= -vc::update::AllowedClockAheadSecs && now < f.validUntil));
    check(f.published.isValid() == f.validUntil.isValid());
    using vc::update::Trust;
    check(f.published.isValid() ==
          (f.trust == Trust::Expired || f.trust == Trust::DatedAhead || f.trusted()));
    // Under another key nothing is trusted.
    QByteArray other = key;
    other[0] = char(other.at(0) ^ 0x40);
    check(!vc::update::VersionFile::read(bytes, other, now).trusted());
}

} // namespace fuzz
