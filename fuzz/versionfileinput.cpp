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
    const vc::update::VersionFile f = vc::update::VersionFile::read(bytes, key);
    check(f.empty == bytes.isEmpty());
    check(std::isfinite(f.version));
    check(!f.notes.contains(QLatin1String(";;")));
    check(!f.firstLine.contains(QLatin1Char('\n')));
    // Digests come only with trust, and trust needs a signature line.
    check(f.trusted() == (f.firmware.isValid() && f.installer.isValid()));
    check(!f.trusted() || bytes.contains("\nsignature ed25519:"));
    // Under another key nothing is trusted.
    QByteArray other = key;
    other[0] = char(other.at(0) ^ 0x40);
    check(!vc::update::VersionFile::read(bytes, other).trusted());
}

} // namespace fuzz
