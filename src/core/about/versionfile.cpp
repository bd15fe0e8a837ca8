#include "core/about/versionfile.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QLocale>

#include <sodium.h>

#include <cctype>
#include <cmath>

namespace vc::update {

namespace {

const QByteArray SignatureKey = QByteArrayLiteral("signature");
const QByteArray SignaturePrefix = QByteArrayLiteral("ed25519:");
const QByteArray DigestPrefix = QByteArrayLiteral("sha256:");
const QByteArray FirmwareKey = QByteArrayLiteral("firmware");
const QByteArray InstallerKey = QByteArrayLiteral("installer");
const QByteArray PublishedKey = QByteArrayLiteral("published");
const QByteArray ValidUntilKey = QByteArrayLiteral("valid-until");
const QByteArray Separator = QByteArrayLiteral(";;");

bool sodiumReady()
{
    // Safe to call more than once; a negative result means the library
    // cannot work on this machine (no randomness), so nothing is trusted.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const unsigned char *bytes(const QByteArray &a)
{
    return reinterpret_cast<const unsigned char *>(a.constData());
}

// "firmware 1234 sha256:<hex>": false when the line is not of that form.
bool parseDigestLine(const QList<QByteArray> &fields, AssetDigest *digest)
{
    if (fields.size() != 3 || !fields.at(2).startsWith(DigestPrefix))
        return false;
    bool ok = false;
    const qint64 size = fields.at(1).toLongLong(&ok, 10);
    if (!ok || size < 0 || fields.at(1).startsWith('+'))
        return false;
    const QByteArray hex = fields.at(2).mid(DigestPrefix.size());
    if (hex.size() != 64)
        return false;
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    digest->size = size;
    digest->sha256 = QByteArray::fromHex(hex);
    return digest->sha256.size() == 32;
}

QByteArray digestLine(const QByteArray &key, const AssetDigest &d)
{
    return key + ' ' + digestText(d) + '\n';
}

// Dates are written in one form only, in UTC: 2025-01-31T12:00:00Z.
QByteArray stamp(const QDateTime &t)
{
    return t.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")).toLatin1();
}

QDateTime parseStamp(const QByteArray &text)
{
    if (text.size() != 20 || text.at(10) != 'T' || text.at(19) != 'Z')
        return {};
    const QDate date = QDate::fromString(QString::fromLatin1(text.left(10)), Qt::ISODate);
    const QTime time =
        QTime::fromString(QString::fromLatin1(text.mid(11, 8)), QStringLiteral("HH:mm:ss"));
    const QDateTime t(date, time, Qt::UTC);
    return t.isValid() && stamp(t) == text ? t : QDateTime();
}

} // namespace

VersionFile VersionFile::read(const QByteArray &body, const QByteArray &publicKey,
                              const QDateTime &now)
{
    VersionFile f;
    f.empty = body.isEmpty();
    if (f.empty)
        return f;

    // The first line, up to and including its line break.
    const int lineBreak = body.indexOf('\n');
    const int restStart = lineBreak < 0 ? body.size() : lineBreak + 1;
    f.firstLine = QString::fromUtf8(body.left(restStart)).trimmed();
    bool ok = false;
    const double v = f.firstLine.toDouble(&ok);
    // "nan" or "inf" would compare as newer than anything (or as nothing).
    f.version = ok && std::isfinite(v) ? v : 0.0;

    const QByteArray rest = body.mid(restStart);
    const int separator = rest.indexOf(Separator);
    f.notes = QString::fromUtf8(separator < 0 ? rest : rest.left(separator));
    if (separator < 0)
        return f; // Unsigned

    // The signed tail: lines after the first ";;". A line starting with
    // "signature" is the signature line; it signs every byte before it and
    // must be the last line, exactly as it is written.
    const int tailStart = restStart + separator + Separator.size();
    int signatureLine = -1;
    QByteArray signatureText;
    QList<QList<QByteArray>> fieldLines;
    for (int pos = tailStart; pos < body.size();) {
        int end = body.indexOf('\n', pos);
        if (end < 0)
            end = body.size();
        const QByteArray raw = body.mid(pos, end - pos);
        if (raw.startsWith(SignatureKey)) {
            signatureLine = pos;
            signatureText = raw;
            if (end + 1 < body.size()) {
                f.trust = Trust::Malformed; // something unsigned after the signature
                return f;
            }
            break;
        }
        const QByteArray line = raw.trimmed();
        if (!line.isEmpty())
            fieldLines.append(line.simplified().split(' '));
        pos = end + 1;
    }
    if (signatureLine < 0)
        return f; // Unsigned: an old-style file with text after the notes

    // "signature ed25519:<base64>": one space, canonical base64, nothing else.
    const QByteArray linePrefix = SignatureKey + ' ' + SignaturePrefix;
    const QByteArray encoded = signatureText.mid(linePrefix.size());
    const auto decoded =
        QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    if (!signatureText.startsWith(linePrefix) ||
        decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok ||
        decoded.decoded.size() != SignatureBytes || encodeKey(decoded.decoded) != encoded) {
        f.trust = Trust::Malformed;
        return f;
    }
    const QByteArray &signature = decoded.decoded;
    const QByteArray message = body.left(signatureLine);
    if (publicKey.size() != PublicKeyBytes || !sodiumReady() ||
        crypto_sign_verify_detached(bytes(signature), bytes(message),
                                    static_cast<unsigned long long>(message.size()),
                                    bytes(publicKey)) != 0) {
        f.trust = Trust::BadSignature;
        return f;
    }

    // Signed by the publisher: now the fields must say exactly what to get
    // and when. Lines of other kinds are signed too and left for later
    // versions.
    AssetDigest firmware, installer;
    QDateTime published, validUntil;
    for (const QList<QByteArray> &fields : qAsConst(fieldLines)) {
        const QByteArray &key = fields.first();
        if (key == PublishedKey || key == ValidUntilKey) {
            QDateTime &target = key == PublishedKey ? published : validUntil;
            const QDateTime stamped = fields.size() == 2 ? parseStamp(fields.at(1)) : QDateTime();
            if (target.isValid() || !stamped.isValid()) {
                f.trust = Trust::Malformed; // repeated or unreadable
                return f;
            }
            target = stamped;
            continue;
        }
        AssetDigest *target = key == FirmwareKey    ? &firmware
                              : key == InstallerKey ? &installer
                                                    : nullptr;
        if (!target)
            continue;
        if (target->isValid() || !parseDigestLine(fields, target)) {
            f.trust = Trust::Malformed; // repeated or unreadable
            return f;
        }
    }
    if (!firmware.isValid() || !installer.isValid() ||
        published.isValid() != validUntil.isValid() ||
        (published.isValid() && validUntil <= published)) {
        f.trust = Trust::Malformed;
        return f;
    }
    f.published = published;
    f.validUntil = validUntil;
    if (!published.isValid()) {
        f.trust = Trust::Undated;
    } else if (published.secsTo(now) < -AllowedClockAheadSecs) {
        f.trust = Trust::DatedAhead;
    } else if (now >= validUntil) {
        f.trust = Trust::Expired;
    } else {
        f.firmware = firmware;
        f.installer = installer;
        f.trust = Trust::Trusted;
    }
    return f;
}

QString UpdateTexts::untrusted(const VersionFile &file)
{
    const auto when = [](const QDateTime &t) {
        return QLocale().toString(t.toLocalTime(), QLocale::ShortFormat);
    };
    switch (file.trust) {
    case Trust::Trusted:
        return QString();
    case Trust::Undated:
        return tr("更新資訊沒有有效期限，無法確認它是最新的，不提供這個更新。");
    case Trust::Expired:
        return tr("更新資訊已於 %1 過期，可能是舊的版本檔被再次送出，不提供這個更新。")
            .arg(when(file.validUntil));
    case Trust::DatedAhead:
        return tr("更新資訊的發行時間 %1 晚於這台電腦的時間，請檢查電腦的日期與時間。不提供這"
                  "個更新。")
            .arg(when(file.published));
    case Trust::Unsigned:
    case Trust::Malformed:
    case Trust::BadSignature:
        break;
    }
    return tr("更新資訊的簽章無效，不提供這個更新。");
}

QString UpdateTexts::notVersionFile()
{
    return tr("更新伺服器的回答不是版本檔。");
}

KeyPair generateKeyPair()
{
    KeyPair pair;
    if (!sodiumReady())
        return pair;
    QByteArray pk(PublicKeyBytes, '\0');
    QByteArray sk(SecretKeyBytes, '\0');
    if (crypto_sign_keypair(reinterpret_cast<unsigned char *>(pk.data()),
                            reinterpret_cast<unsigned char *>(sk.data())) != 0)
        return pair;
    pair.publicKey = pk;
    pair.secretKey = sk;
    return pair;
}

QByteArray publicKeyOf(const QByteArray &secretKey)
{
    if (secretKey.size() != SecretKeyBytes || !sodiumReady())
        return {};
    QByteArray pk(PublicKeyBytes, '\0');
    if (crypto_sign_ed25519_sk_to_pk(reinterpret_cast<unsigned char *>(pk.data()),
                                     bytes(secretKey)) != 0)
        return {};
    return pk;
}

QByteArray writeVersionFile(const QString &version, const QString &notes,
                            const AssetDigest &firmware, const AssetDigest &installer,
                            const QByteArray &secretKey, QString *error, int validDays,
                            const QDateTime &published)
{
    const QString v = version.trimmed();
    bool ok = false;
    const double number = v.toDouble(&ok);
    if (!ok || !std::isfinite(number) || v.contains(QLatin1Char('\n'))) {
        *error = QStringLiteral("the version \"%1\" is not a number").arg(version);
        return {};
    }
    if (notes.contains(QLatin1String(";;"))) {
        *error = QStringLiteral("the notes hold \";;\", where older editors would cut them");
        return {};
    }
    if (!firmware.isValid() || !installer.isValid()) {
        *error = QStringLiteral("a download has no digest");
        return {};
    }
    if (validDays < 1 || validDays > MaxValidDays) {
        *error = QStringLiteral("the validity must be 1 to %1 days").arg(MaxValidDays);
        return {};
    }
    // Whole seconds: the dates are written to the second.
    const qint64 secs =
        (published.isValid() ? published : QDateTime::currentDateTimeUtc()).toSecsSinceEpoch();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(secs, Qt::UTC);
    QByteArray body = v.toUtf8() + '\n' + notes.toUtf8() + Separator + '\n';
    body += digestLine(FirmwareKey, firmware);
    body += digestLine(InstallerKey, installer);
    body += PublishedKey + ' ' + stamp(start) + '\n';
    body += ValidUntilKey + ' ' + stamp(start.addDays(validDays)) + '\n';
    body = appendSignature(body, secretKey);
    if (body.isEmpty())
        *error = QStringLiteral("not a secret key");
    return body;
}

QByteArray digestText(const AssetDigest &digest)
{
    if (!digest.isValid())
        return {};
    return QByteArray::number(digest.size) + ' ' + DigestPrefix + digest.sha256.toHex();
}

AssetDigest digestFromText(const QByteArray &text)
{
    AssetDigest d;
    QList<QByteArray> fields = text.split(' ');
    fields.prepend(QByteArray());
    if (!parseDigestLine(fields, &d))
        return {};
    return d;
}

QByteArray appendSignature(const QByteArray &body, const QByteArray &secretKey)
{
    if (secretKey.size() != SecretKeyBytes || !sodiumReady())
        return {};
    QByteArray signature(SignatureBytes, '\0');
    if (crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                             bytes(body), static_cast<unsigned long long>(body.size()),
                             bytes(secretKey)) != 0)
        return {};
    return body + SignatureKey + ' ' + SignaturePrefix + encodeKey(signature) + '\n';
}

AssetDigest digestOf(QIODevice &device)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.addData(buffer, static_cast<int>(n));
        size += n;
    }
    return {size, hash.result()};
}

QByteArray decodeKey(const QByteArray &text, int size)
{
    // Key files may say what they are on lines starting with "#".
    QByteArray key;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray l = line.trimmed();
        if (l.isEmpty() || l.startsWith('#'))
            continue;
        if (!key.isEmpty())
            return {}; // more than one key
        key = l;
    }
    const auto decoded =
        QByteArray::fromBase64Encoding(key, QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok ||
        decoded.decoded.size() != size)
        return {};
    return decoded.decoded;
}

QByteArray encodeKey(const QByteArray &key)
{
    return key.toBase64();
}

} // namespace vc::update
