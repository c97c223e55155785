#pragma once
// Little-endian reading and writing of the binary resources, every read checked
// against the end of the data; shared by the menu, dialog and string table codecs.

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <optional>

namespace kvarsel {

// Little-endian values at a place the caller has checked lies within `b`, and
// appended to the end of `b`: the PE and .res files' own headers.
inline quint16 u16At(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at])) | quint16(quint8(b[at + 1])) << 8;
}

inline quint32 u32At(const QByteArray& b, qsizetype at)
{
    return quint32(u16At(b, at)) | quint32(u16At(b, at + 2)) << 16;
}

inline void append16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

inline void append32(QByteArray& b, quint32 v)
{
    append16(b, quint16(v & 0xffff));
    append16(b, quint16(v >> 16));
}

class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : m_data(data) {}

    qsizetype at() const { return m_at; }
    qsizetype left() const { return m_data.size() - m_at; }
    bool atEnd() const { return m_at >= m_data.size(); }

    template <class T> std::optional<T> read()
    {
        if (left() < qsizetype(sizeof(T)))
            return std::nullopt;
        const T v = qFromLittleEndian<T>(m_data.constData() + m_at);
        m_at += sizeof(T);
        return v;
    }
    std::optional<QByteArray> bytes(qsizetype n)
    {
        if (n < 0 || left() < n)
            return std::nullopt;
        const QByteArray b = m_data.mid(m_at, n);
        m_at += n;
        return b;
    }
    // A NUL-terminated UTF-16 string, found whole before it is copied at once.
    std::optional<QString> string()
    {
        const char* const from = m_data.constData() + m_at;
        const qsizetype units = left() / 2;
        qsizetype n = 0;
        while (n < units && (from[2 * n] | from[2 * n + 1]) != 0)
            ++n;
        if (n == units)
            return std::nullopt;
        m_at += 2 * (n + 1);
        if (n == 0)
            return QString();
        QString s(n, Qt::Uninitialized);
        qFromLittleEndian<quint16>(from, n, s.data());
        return s;
    }
    // Skips to the next multiple of four from the data's start; the skipped bytes
    // must be zero, as every resource compiler writes them.
    bool align()
    {
        while (m_at % 4 && m_at < m_data.size())
            if (m_data[m_at++] != 0)
                return false;
        return true;
    }

private:
    const QByteArray& m_data;
    qsizetype m_at = 0;
};

class ByteWriter {
public:
    // Written in place: a dialog of many controls is many small pieces.
    template <class T> void put(T v) { qToLittleEndian<T>(v, grow(sizeof(T))); }
    void string(const QString& s)
    {
        char* d = grow(2 * (s.size() + 1));
        for (const QChar c : s) {
            qToLittleEndian<quint16>(c.unicode(), d);
            d += 2;
        }
        qToLittleEndian<quint16>(0, d);
    }
    void bytes(const QByteArray& b) { m_data += b; }
    void align()
    {
        while (m_data.size() % 4)
            m_data += '\0';
    }
    QByteArray data() const { return m_data; }

private:
    char* grow(qsizetype by)
    {
        const qsizetype at = m_data.size();
        if (m_data.capacity() < at + by)
            m_data.reserve(std::max<qsizetype>(64, 2 * (at + by)));
        m_data.resize(at + by);
        return m_data.data() + at;
    }

    QByteArray m_data;
};

} // namespace kvarsel
