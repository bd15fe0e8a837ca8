#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

namespace vc::test {

// Set VC_REGENERATE_GOLDENS=1 to rewrite golden files from the current code
// (only once the code is known to give what the files should hold).
inline bool regenerateGoldens()
{
    return qEnvironmentVariableIntValue("VC_REGENERATE_GOLDENS") == 1;
}

#ifdef VC_TESTDATA_DIR
// A golden file of tests/data; a missing one ends the test run.
inline QByteArray readData(const QString &name)
{
    QFile f(QStringLiteral(VC_TESTDATA_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return f.readAll();
}
// Writes a golden file of tests/data (when regenerating).
inline void writeData(const QString &name, const QByteArray &bytes)
{
    QFile f(QStringLiteral(VC_TESTDATA_DIR "/") + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write test data %s", qPrintable(name));
}
#endif

// The whole of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes a file whole, replacing it; a failure ends the test run. Returns
// the path.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace vc::test
