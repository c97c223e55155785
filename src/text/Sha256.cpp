#include "text/Sha256.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define KVARSEL_SHA_X86 1
#endif

namespace kvarsel {
namespace {

constexpr std::array<quint32, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

#ifdef KVARSEL_SHA_X86

alignas(16) constexpr quint32 kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

bool processorHasSha()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    return ssse3 && sse41 && (b & (1u << 29));
}

// Whole 64-byte blocks into `state` (a b c d e f g h).
__attribute__((target("sha,sse4.1,ssse3"))) void shaBlocks(quint32* state, const uchar* data,
                                                           qsizetype blocks)
{
    // The instructions keep the state as a b e f and c d g h, highest word first.
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i w[4]; // the message schedule, four words a group, the last four groups
        for (int g = 0; g < 16; ++g) {
            __m128i m;
            if (g < 4) {
                m = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)),
                                     byteSwap);
            } else {
                m = _mm_sha256msg1_epu32(w[(g - 4) & 3], w[(g - 3) & 3]);
                m = _mm_add_epi32(m, _mm_alignr_epi8(w[(g - 1) & 3], w[(g - 2) & 3], 4));
                m = _mm_sha256msg2_epu32(m, w[(g - 1) & 3]);
            }
            w[g & 3] = m;
            __m128i k = _mm_add_epi32(m, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
            k = _mm_shuffle_epi32(k, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, k);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

const bool kHasSha = processorHasSha();

#else

constexpr bool kHasSha = false;
void shaBlocks(quint32*, const uchar*, qsizetype) {}

#endif

} // namespace

Sha256::Sha256() : m_state(kInitial)
{
    if (!kHasSha)
        m_portable.emplace(QCryptographicHash::Sha256);
}

bool Sha256::usesProcessorInstructions() { return kHasSha; }

void Sha256::addData(QByteArrayView bytes)
{
    if (m_portable) {
        m_portable->addData(bytes);
        return;
    }
    if (bytes.isEmpty())
        return;
    const uchar* data = reinterpret_cast<const uchar*>(bytes.data());
    qsizetype size = bytes.size();
    m_length += quint64(size);
    if (m_pendingSize) {
        const qsizetype take = std::min<qsizetype>(size, 64 - m_pendingSize);
        std::memcpy(m_pending.data() + m_pendingSize, data, size_t(take));
        m_pendingSize += take;
        data += take;
        size -= take;
        if (m_pendingSize < 64)
            return;
        shaBlocks(m_state.data(), m_pending.data(), 1);
        m_pendingSize = 0;
    }
    shaBlocks(m_state.data(), data, size / 64);
    const qsizetype rest = size % 64;
    std::memcpy(m_pending.data(), data + size - rest, size_t(rest));
    m_pendingSize = rest;
}

QByteArray Sha256::hexResult()
{
    if (m_portable)
        return m_portable->result().toHex();
    // The padding: a one bit, zeros, and the length in bits, big-endian, ending a block.
    const quint64 bits = m_length * 8;
    std::array<uchar, 72> tail{};
    tail[0] = 0x80;
    const qsizetype zeros = (m_pendingSize < 56 ? 56 : 120) - m_pendingSize;
    for (int i = 0; i < 8; ++i)
        tail[size_t(zeros + i)] = uchar(bits >> (56 - 8 * i));
    addData(QByteArrayView(tail.data(), zeros + 8));
    QByteArray digest(32, Qt::Uninitialized);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = char(m_state[size_t(i)] >> (24 - 8 * j));
    m_state = kInitial;
    m_length = 0;
    return digest.toHex();
}

QByteArray Sha256::hexOf(QByteArrayView bytes)
{
    Sha256 hash;
    hash.addData(bytes);
    return hash.hexResult();
}

} // namespace kvarsel
