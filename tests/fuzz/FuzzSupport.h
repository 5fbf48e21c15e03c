#pragma once

// Shared by the fuzz targets: the input as bytes, and a check that stops the
// run with a report when a property of the code does not hold.

#include <QByteArrayView>

#include <cstdio>
#include <cstdlib>

inline QByteArrayView fuzzInput(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)
