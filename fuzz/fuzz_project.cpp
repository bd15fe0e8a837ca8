// libFuzzer entry for the project readers (projectinput.cpp).

#include "fuzzinputs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::projectInput(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)));
    return 0;
}
