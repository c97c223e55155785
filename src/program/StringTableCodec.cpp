#include "program/ResourceBytes.h"
#include "program/ResourceCodecs.h"

namespace kvarsel {

std::optional<QList<QString>> readStringBlock(const QByteArray& data, QString& why)
{
    ByteReader in(data);
    QList<QString> strings;
    for (int i = 0; i < 16; ++i) {
        const auto length = in.read<quint16>();
        const auto units = length ? in.bytes(qsizetype(*length) * 2) : std::nullopt;
        if (!units) {
            why = QStringLiteral("таблица строк повреждена: данные обрываются");
            return std::nullopt;
        }
        strings << QString(reinterpret_cast<const QChar*>(units->constData()), *length);
    }
    if (!in.atEnd()) {
        why = QStringLiteral("после таблицы строк лишние байты (%1)").arg(in.left());
        return std::nullopt;
    }
    return strings;
}

void appendBlockString(QByteArray& out, QStringView text)
{
    const qsizetype at = out.size();
    out.resize(at + 2 + 2 * text.size());
    char* d = out.data() + at;
    *d++ = char(text.size() & 0xff);
    *d++ = char(text.size() >> 8);
    for (const QChar c : text) {
        *d++ = char(c.unicode() & 0xff);
        *d++ = char(c.unicode() >> 8);
    }
}

QByteArray stringBlockBytes(const QList<QString>& strings)
{
    QByteArray out;
    for (int i = 0; i < 16; ++i)
        appendBlockString(out, i < strings.size() ? QStringView(strings[i]) : QStringView());
    return out;
}

QString stringBlockLines(quint16 block, const QList<QString>& strings, QString& why)
{
    if (block == 0 || block > 4096) {
        why = QStringLiteral("номер таблицы строк %1 вне 1…4096").arg(block);
        return {};
    }
    const quint32 first = (quint32(block) - 1) * 16;
    rc::ScriptText out;
    qsizetype room = 0;
    for (const QString& text : strings)
        room += text.size() + 16;
    out.reserve(room);
    for (int i = 0; i < strings.size(); ++i) {
        if (strings[i].isEmpty())
            continue;
        if (strings[i].size() > 0xFFFF || !scriptCanHold(strings[i], true, why))
            return {};
        out += u"    ";
        rc::appendNumber(out, first + i);
        out += u", ";
        rc::appendQuoted(out, strings[i]);
        out += u"\r\n";
    }
    // A table of empty strings still exists: one empty string makes it.
    if (out.isEmpty()) {
        out += u"    ";
        rc::appendNumber(out, first);
        out += u", \"\"\r\n";
    }
    return out.take();
}

bool scriptCanHold(const QString& text, bool nulAllowed, QString& why)
{
    if (!text.isValidUtf16()) {
        why = QStringLiteral("текст «%1» содержит одиночную половину суррогатной пары").arg(text.left(40));
        return false;
    }
    if (!nulAllowed && text.contains(QChar(0))) {
        why = QStringLiteral("текст «%1» содержит нулевой символ").arg(text.left(40));
        return false;
    }
    return true;
}

} // namespace kvarsel
