// libFuzzer target: arbitrary bytes into the property-list reader. Whatever it
// accepts, the writer must write so that reading it again gives the same tree.

#include "platform/CNumber.h"
#include "platform/PropertyList.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CNumber::resetNumericLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    std::optional<PropertyList::Value> first = PropertyList::read(bytes, &error);
    if (!first) {
        if (error.isEmpty()) {
            std::fprintf(stderr, "rejected without a reason\n");
            std::abort();
        }
        return 0;
    }
    const QByteArray written = PropertyList::write(*first);
    std::optional<PropertyList::Value> second = PropertyList::read(written, &error);
    if (!second || !PropertyList::equal(*first, *second)) {
        std::fprintf(stderr, "write and read back changed the value: %s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
