#pragma once

// One input of each fuzz target: the readers run on the bytes and the
// target's invariants are checked; a broken invariant ends the process
// (fuzzcheck.h). The libFuzzer programs (fuzz_<target>.cpp) and the corpus
// replay among the tests call the same functions.

#include <QByteArray>
#include <QString>

namespace fuzz {

// The project readers: binary project format and old text format.
void projectInput(const QByteArray &bytes);

// The mode record decoder and the readers of its parameter text. Pictures
// are decoded on the way, so a QGuiApplication must exist.
void modeRecordInput(const QByteArray &bytes);

// The update server's version file reader and its signature check.
void versionFileInput(const QByteArray &bytes);

struct Target
{
    const char *name; // also the seed corpus folder: fuzz/corpus/<name>
    void (*input)(const QByteArray &bytes);
};

// Every target.
inline constexpr Target targets[] = {
    {"project", &projectInput},
    {"moderecord", &modeRecordInput},
    {"versionfile", &versionFileInput},
};

// Names the input the next checks run on (a file of a corpus), for the
// message of a broken invariant; an empty name clears it.
void setInputName(const QString &name);

} // namespace fuzz
