#pragma once
// Finding the line ends (CR or LF) of a text: 64 units looked at a time, with SSE2
// where the machine has it and one by one elsewhere. Most lines are a few tens of
// units long, so one look finds several ends. Every reader of line files and the
// dictionary stream find their lines here.

#include <QtGlobal>
#include <bit>

namespace kvarsel {

// Bit k set where unit i + k is a CR or an LF, for the units from i on: 64 of them,
// fewer at the end of the text.
quint64 lineEndMask(const char16_t* d, qsizetype i, qsizetype n);
quint64 lineEndMask(const uchar* d, qsizetype i, qsizetype n);

// The line ends of one text, asked for in ascending order.
template <class Unit> class LineEnds {
public:
    LineEnds(const Unit* d, qsizetype n) : m_d(d), m_n(n) {}

    // The first CR or LF at or after `i`, or the end of the text.
    qsizetype next(qsizetype i)
    {
        for (;;) {
            const qsizetype offset = i - m_base;
            if (offset >= 0 && offset < 64) {
                const quint64 ahead = (m_mask >> offset) << offset;
                if (ahead)
                    return m_base + std::countr_zero(ahead);
                i = m_base + 64;
            }
            if (i >= m_n)
                return m_n;
            m_base = i;
            m_mask = lineEndMask(m_d, i, m_n);
        }
    }

private:
    const Unit* m_d;
    qsizetype m_n;
    qsizetype m_base = -64;
    quint64 m_mask = 0;
};

} // namespace kvarsel
