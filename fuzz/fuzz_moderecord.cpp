// libFuzzer entry for the mode record decoder (moderecordinput.cpp).

#include "fuzzinputs.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {

QGuiApplication *app = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Pictures are decoded through QtGui's image readers. The application
    // lives until the process ends, so the leak check at exit does not
    // count it.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(*argc, *argv);
    // Damaged pictures make the image readers warn on every input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::modeRecordInput(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)));
    return 0;
}
