#pragma once

#include "core/about/versionfile.h"

#include <QByteArray>
#include <QString>

// The test key pair of tests/data/update (NOT for releases) and version
// files signed with it, as a publisher would make them.
namespace vc::test {

QByteArray testSecretKey();
QByteArray testPublicKey();
// The path of the test secret key file (for vantorctl).
QString testSecretKeyPath();

update::AssetDigest digestOfBytes(const QByteArray &bytes);

// A version file signed with the test key for these two downloads,
// published at `published` (null: now) and valid for `validDays` days.
QByteArray signedVersionFile(const QString &version, const QString &notes,
                             const QByteArray &firmware, const QByteArray &installer,
                             int validDays = update::DefaultValidDays,
                             const QDateTime &published = QDateTime());

} // namespace vc::test
