#pragma once

// Names are mostly ASCII: sixteen of their bytes at a time where the
// processor allows (SSE2, every x86-64).

#ifdef __SSE2__
#include <emmintrin.h>

// Whether all sixteen bytes are ASCII.
inline bool allAscii16(__m128i bytes)
{
    return _mm_movemask_epi8(bytes) == 0;
}

// Sixteen ASCII bytes with A to Z lower-cased. Signed comparisons are
// right: every byte is below 0x80.
inline __m128i lowerAscii16(__m128i bytes)
{
    const __m128i upper =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('A' - 1)), _mm_cmplt_epi8(bytes, _mm_set1_epi8('Z' + 1)));
    return _mm_add_epi8(bytes, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
}

// Sixteen ASCII bytes written as sixteen UTF-16 units at out.
inline void storeWidened16(char16_t *out, __m128i bytes)
{
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(bytes, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(bytes, zero));
}
#endif
