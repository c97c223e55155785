#include "text/LineEnds.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kvarsel {
namespace {

template <class Unit> quint64 oneByOne(const Unit* d, qsizetype i, qsizetype n)
{
    quint64 mask = 0;
    for (qsizetype k = 0; k < 64 && i + k < n; ++k)
        if (d[i + k] == Unit('\r') || d[i + k] == Unit('\n'))
            mask |= quint64(1) << k;
    return mask;
}

} // namespace

quint64 lineEndMask(const char16_t* d, qsizetype i, qsizetype n)
{
#ifdef __SSE2__
    if (i + 64 <= n) {
        quint64 mask = 0;
        const __m128i cr = _mm_set1_epi16(0x0D);
        const __m128i lf = _mm_set1_epi16(0x0A);
        for (int k = 0; k < 64; k += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + k));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + k + 8));
            const __m128i hits =
                _mm_packs_epi16(_mm_or_si128(_mm_cmpeq_epi16(a, cr), _mm_cmpeq_epi16(a, lf)),
                                _mm_or_si128(_mm_cmpeq_epi16(b, cr), _mm_cmpeq_epi16(b, lf)));
            mask |= quint64(quint32(_mm_movemask_epi8(hits))) << k;
        }
        return mask;
    }
#endif
    return oneByOne(d, i, n);
}

quint64 lineEndMask(const uchar* d, qsizetype i, qsizetype n)
{
#ifdef __SSE2__
    if (i + 64 <= n) {
        quint64 mask = 0;
        const __m128i cr = _mm_set1_epi8(0x0D);
        const __m128i lf = _mm_set1_epi8(0x0A);
        for (int k = 0; k < 64; k += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + k));
            const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
            mask |= quint64(quint32(_mm_movemask_epi8(hits))) << k;
        }
        return mask;
    }
#endif
    return oneByOne(d, i, n);
}

} // namespace kvarsel
