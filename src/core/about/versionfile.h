#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>

class QIODevice;

// The version file on the update server, and the checks that make an update
// offered over plain HTTP trustworthy.
//
// The file is read the way every released editor reads it: the first line is
// the latest version, the text after it up to the first ";;" is the release
// notes, and older editors ignore everything after that. That ignored tail
// carries what a download needs to be trusted:
//
//   3.2132
//   Faster upload<br>New effects;;
//   firmware 123456 sha256:<64 hex digits>
//   installer 7890123 sha256:<64 hex digits>
//   published 2025-01-01T12:00:00Z
//   valid-until 2025-01-31T12:00:00Z
//   signature ed25519:<base64 of the 64-byte signature>
//
// The signature covers every byte of the file before the signature line, so
// the version, the notes, both digests and both dates are all signed. An
// update is only offered, and a download only kept, when the signature
// checks against the public key built into the programs and the file is
// within its dates: an older signed file sent again (to offer a release that
// is no longer the newest) has expired.
namespace vc::update {

// Paths on the update server; older editors and the server rely on them.
inline constexpr const char *VersionPath = "/version";
inline constexpr const char *FirmwarePath = "/assets/file/Vantor.ino.generic_stm32f103r.bin";
inline constexpr const char *InstallerPath = "/assets/file/VantorCreator_Patch.exe";

// Where the downloads are stored, below the updater's working directory.
// The firmware is the file that the editor's firmware update flashes.
inline constexpr const char *FirmwareTarget = "tool/firm/Vantor.RE.bin";
inline constexpr const char *InstallerTarget = "VantorCreator_Patch.exe";

// Upper bounds of what is accepted from the server.
inline constexpr qint64 VersionFileLimit = 64 * 1024;
inline constexpr qint64 FirmwareLimit = 4 * 1024 * 1024;
inline constexpr qint64 InstallerLimit = 512LL * 1024 * 1024;

// How long a published version file is valid unless the publisher says
// otherwise, and the most it may be dated ahead of this computer's clock.
inline constexpr int DefaultValidDays = 30;
inline constexpr int MaxValidDays = 3650;
inline constexpr qint64 AllowedClockAheadSecs = 24 * 3600;

// Ed25519 key and signature sizes (bytes).
inline constexpr int PublicKeyBytes = 32;
inline constexpr int SecretKeyBytes = 64;
inline constexpr int SignatureBytes = 64;

// The size and SHA-256 digest a download must have.
struct AssetDigest
{
    qint64 size = -1;
    QByteArray sha256; // 32 raw bytes

    bool isValid() const { return size >= 0 && sha256.size() == 32; }
    bool operator==(const AssetDigest &o) const { return size == o.size && sha256 == o.sha256; }
};

// How far a version file can be trusted.
enum class Trust
{
    Unsigned,     // nothing signed after the notes (an old-style file)
    Malformed,    // a signed part that cannot be read
    BadSignature, // the signature does not check against the key
    Undated,      // signed, but without dates (published before files had them)
    Expired,      // signed, but past its "valid-until": an old file sent again
    DatedAhead,   // signed, but dated more than a day after this computer's clock
    Trusted,      // signed with the key and in date; the digests are the publisher's
};

struct VersionFile
{
    // The first line without its line break; empty when there was no answer.
    QString firstLine;
    // The body was empty: the server did not answer.
    bool empty = true;
    // The first line as a number; 0 when it is none.
    double version = 0;
    // The release notes (may hold HTML such as "<br>").
    QString notes;

    Trust trust = Trust::Unsigned;
    // Valid only when trusted.
    AssetDigest firmware;
    AssetDigest installer;
    // The signed dates, when the signed part holds them (UTC).
    QDateTime published;
    QDateTime validUntil;

    bool trusted() const { return trust == Trust::Trusted; }

    // Reads a version file and checks its signature against publicKey
    // (32 raw bytes; any other size trusts nothing) and its dates against
    // `now`.
    static VersionFile read(const QByteArray &body, const QByteArray &publicKey,
                            const QDateTime &now = QDateTime::currentDateTimeUtc());
};

// Why an update of a version file that is not trusted is not offered, in
// the user's words (empty when it is trusted).
struct UpdateTexts
{
    Q_DECLARE_TR_FUNCTIONS(vc::update::UpdateTexts)
public:
    static QString untrusted(const VersionFile &file);
    // The server answered, but with nothing a version file could be.
    static QString notVersionFile();
};

// A new Ed25519 key pair (raw bytes); empty on failure of the library.
struct KeyPair
{
    QByteArray publicKey; // 32 bytes
    QByteArray secretKey; // 64 bytes
};
KeyPair generateKeyPair();

// The public key belonging to a secret key; empty when it is not one.
QByteArray publicKeyOf(const QByteArray &secretKey);

// Writes a signed version file, published at `published` (null: now) and
// valid for `validDays` days. The version must be a number and the notes
// must not hold ";;" (older editors would cut them there); both are refused
// with a reason in *error, as is a validity outside 1 to MaxValidDays days.
QByteArray writeVersionFile(const QString &version, const QString &notes,
                            const AssetDigest &firmware, const AssetDigest &installer,
                            const QByteArray &secretKey, QString *error,
                            int validDays = DefaultValidDays,
                            const QDateTime &published = QDateTime());

// A digest as one line of text ("<size> sha256:<hex>"), as the programs
// note what they installed; an invalid digest for text that is none.
QByteArray digestText(const AssetDigest &digest);
AssetDigest digestFromText(const QByteArray &text);

// Signs every byte of a version file's body and adds the signature line;
// empty when the key is no secret key.
QByteArray appendSignature(const QByteArray &body, const QByteArray &secretKey);

// The size and digest of everything a device yields; invalid when reading
// fails.
AssetDigest digestOf(QIODevice &device);

// Key files hold one line, the key in base64, and any comment lines starting
// with "#". Returns the raw key, or empty when the text is not one key of the
// given size.
QByteArray decodeKey(const QByteArray &text, int bytes);
QByteArray encodeKey(const QByteArray &key);

} // namespace vc::update
