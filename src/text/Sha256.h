#pragma once
// SHA-256 of programs, which are digested whole on every unpacking and packing.
// Where the processor has the SHA extensions (most x86 processors since 2017)
// the blocks go through them, seven to eight times as fast as Qt's portable code;
// elsewhere Qt's QCryptographicHash does the work. The digests are the same.

#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <array>
#include <optional>

namespace kvarsel {

class Sha256 {
public:
    Sha256();
    void addData(QByteArrayView bytes);
    // The digest as 64 lowercase hexadecimal digits; the object is used up.
    QByteArray hexResult();

    static QByteArray hexOf(QByteArrayView bytes);
    // Whether this processor takes the fast road (for the tests and the benchmark).
    static bool usesProcessorInstructions();

private:
    std::array<quint32, 8> m_state;
    std::array<uchar, 64> m_pending{};
    qsizetype m_pendingSize = 0;
    quint64 m_length = 0;
    std::optional<QCryptographicHash> m_portable; // set where the processor lacks the instructions
};

} // namespace kvarsel
