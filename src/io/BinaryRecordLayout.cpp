#include "io/BinaryRecordLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

int BinaryRecordLayout::bytesPerNumber(int type)
{
    switch (type) {
    case Float:
    case Int32:
        return 4;
    case Int16:
        return 2;
    default:
        return 8;
    }
}

qint64 BinaryRecordLayout::rows(qint64 fileSize) const
{
    const qint64 record = recordBytes();
    return record > 0 && fileSize > 0 ? fileSize / record : 0;
}

double BinaryRecordLayout::decode(const unsigned char* p) const
{
    unsigned char b[8];
    const int n = numberBytes();
    std::memcpy(b, p, std::size_t(n));
    if (swap)
        std::reverse(b, b + n);
    switch (type) {
    case Double: {
        double v;
        std::memcpy(&v, b, sizeof v);
        return v;
    }
    case Float: {
        float v;
        std::memcpy(&v, b, sizeof v);
        return double(v);
    }
    case Int32: {
        std::int32_t v;
        std::memcpy(&v, b, sizeof v);
        return double(v);
    }
    case Int16: {
        std::int16_t v;
        std::memcpy(&v, b, sizeof v);
        return double(v);
    }
    default:
        return 0.0;
    }
}
