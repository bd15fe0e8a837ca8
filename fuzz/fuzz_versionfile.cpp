// libFuzzer entry for the version file reader (versionfileinput.cpp).

#include "fuzzinputs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::versionFileInput(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)));
    return 0;
}
