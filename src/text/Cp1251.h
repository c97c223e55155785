#pragma once
// Windows-1251, the single-byte code page of every file the program touches.
//
// The conversion is lossless: each of the 256 bytes maps to its own code point
// (0x98, unassigned in the code page, maps to U+0098), so a script read and
// written back unchanged keeps every byte. Table-driven; no locale is consulted.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace kvarsel::cp1251 {

// The code of a character in the code page, 0..255; 63 ("?") when the code page
// cannot hold it. Every character-class test of the program goes through this.
int charCodeAbove127(QChar c); // the same, for a character above U+007F
inline int charCode(QChar c)
{
    // The lower half of the code page is ASCII: most characters of a script need no table.
    return c.unicode() < 128 ? int(c.unicode()) : charCodeAbove127(c);
}

// True when the code page holds the character.
bool canEncode(QChar c);

QString decode(QByteArrayView bytes);
// The same into `out`, whose buffer is reused when it is not shared.
void decodeInto(QByteArrayView bytes, QString& out);

// Encodes text; returns false and leaves the index of the first character the
// code page cannot hold in *badIndex when there is one (nothing is replaced by "?").
bool encode(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);

// Encodes text into text.size() bytes at `out`; returns the index of the first
// character the code page cannot hold (the bytes are then incomplete), or -1.
qsizetype encodeInto(QStringView text, char* out);

// Index of the first character that cannot be encoded, or -1.
qsizetype firstUnencodable(QStringView text);

} // namespace kvarsel::cp1251
