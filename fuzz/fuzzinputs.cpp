#include "fuzzinputs.h"

#include "fuzzcheck.h"

namespace fuzz {

namespace {
QByteArray g_inputName;
}

const char *inputName()
{
    return g_inputName.isEmpty() ? nullptr : g_inputName.constData();
}

void setInputName(const QString &name)
{
    g_inputName = name.toLocal8Bit();
}

} // namespace fuzz
