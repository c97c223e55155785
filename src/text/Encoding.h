#pragma once
// The encodings of the text files the program reads and writes back: Windows-1251,
// the default and the form of every file this program creates, and the UTF-8 and
// UTF-16 that today's resource editors and machine translators write.
//
// A file's encoding is decided once, from its bytes, and kept with what was read
// from it, so that it goes back to disk in the same encoding and with the same
// byte-order mark. The text in memory is the same whatever the file's encoding;
// every character-code rule uses the Windows-1251 code (text/Cp1251.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

namespace kvarsel {

// UTF-16 is only ever recognised by its byte-order mark, so it always has one.
enum class TextEncoding { Windows1251, Utf8, Utf8Bom, Utf16Le, Utf16Be };

inline constexpr int kEncodingCount = 5;
inline constexpr std::array<TextEncoding, kEncodingCount> kAllEncodings{
    TextEncoding::Windows1251, TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16Le,
    TextEncoding::Utf16Be};

inline constexpr int encodingIndex(TextEncoding e) { return int(e); }

// "Windows-1251", "UTF-8", "UTF-8 с BOM", "UTF-16LE", "UTF-16BE".
QString encodingName(TextEncoding e);

// The byte-order mark the encoding writes first; empty for Windows-1251 and plain UTF-8.
QByteArrayView byteOrderMark(TextEncoding e);

// Bytes turned into text, with the encoding they were found in. `error` is the
// reason, in Russian, why the bytes are not text of the encoding their mark
// promises; the text is then empty: a file is read whole or not at all.
struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Windows1251;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The one decoder of every file read as text. A byte-order mark decides (EF BB BF
// UTF-8, FF FE UTF-16 little-endian, FE FF big-endian); without one, bytes that are
// valid UTF-8 and hold at least one multi-byte sequence are UTF-8; everything else is
// Windows-1251, which takes any byte and gives it back unchanged. The mark is not
// part of the text. A UTF-32 mark makes the bytes unreadable.
DecodedText decodeText(QByteArrayView bytes);

// decodeText into `into`, whose text buffer is reused for Windows-1251 bytes: a
// reader of file after file need not fault in fresh memory for each.
void decodeTextInto(QByteArrayView bytes, DecodedText& into);

// Whether decodeText reads these bytes as Windows-1251: no byte-order mark, and not
// UTF-8 with a multi-byte sequence. Such bytes are their text already, one byte a
// character, for a reader that need not decode them.
bool readsAsWindows1251(QByteArrayView bytes);
// Whether every byte is below 0x80: bytes that read the same in every code page.
bool isAscii(QByteArrayView bytes);
// The same judged a part at a time, for a file never held whole (each part ends
// where a character does).
struct Utf8Findings {
    bool illFormed = false; // a part is not well-formed UTF-8
    bool multiByte = false; // a part holds a sequence of two bytes or more
    QByteArray head;        // the first bytes, where a byte-order mark would be
    void add(QByteArrayView part);
    bool readsAsWindows1251() const;
};

// Decodes in a fixed encoding, for files that have only one (the settings file).
DecodedText decodeTextAs(QByteArrayView bytes, TextEncoding encoding);

// Index of the first character of `text` the encoding cannot hold, or -1. Windows-1251
// holds only its 256 characters; the UTF encodings hold everything but a surrogate
// without its partner.
qsizetype firstUnencodable(QStringView text, TextEncoding encoding);

// Appends the text in the encoding, without the byte-order mark. Returns false and
// leaves the index of the first character that cannot be held in *badIndex (nothing
// is appended then, nothing is ever replaced by "?").
bool encodeText(QStringView text, TextEncoding encoding, QByteArray& out, qsizetype* badIndex = nullptr);

// The encoding of a file the program creates: Windows-1251 when it holds every
// line, else UTF-8 with a byte-order mark.
TextEncoding encodingForNewFile(const QStringList& lines);

// A file a text will be written to. Without an encoding the file does not exist yet
// and takes whatever is written (encodingForNewFile).
struct StorageTarget {
    QString path;
    std::optional<TextEncoding> encoding;
};

// A character that one of the files cannot hold.
struct Unstorable {
    qsizetype index = -1; // in the text
    QString path;
    TextEncoding encoding = TextEncoding::Windows1251;
};

// The first character of `text` that some target cannot hold, with that target:
// the check a box runs before it accepts a text bound for these files.
std::optional<Unstorable> findUnstorable(QStringView text, const QList<StorageTarget>& targets);

// "U+0416": how a character is named in messages.
QString characterCode(QChar c);

} // namespace kvarsel
