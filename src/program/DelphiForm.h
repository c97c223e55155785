#pragma once
// Delphi and Lazarus forms as their programs carry them: an RCDATA resource in the
// binary streaming format (it begins with "TPF0"), turned into the text form that
// the rcdata scripts hold (object … end, Name = value) and back.
//
// The text does not say how a value was stored (a small number as one byte or four,
// a string as ANSI or UTF-16): the way back walks the original form alongside the
// text and stores every value the way the original did, so a form nobody translated
// comes back byte for byte, and a translated string goes into the type its original
// had (ANSI strings as Windows-1251 in a Delphi form, as UTF-8 in a Lazarus one).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kvarsel {

// Whether a resource's data is a binary form.
bool isBinaryForm(QByteArrayView data);

struct FormText {
    QString text;  // lines ended by "\r\n"
    QString error; // Russian, with the byte where the data went wrong; the text is then empty
};

struct FormBinary {
    QByteArray data;
    QString error; // Russian, with the line of the text; the data is then empty
};

// A binary form as text: nested object/inherited/inline blocks, strings in single
// quotes (control characters as #nnn, every other character as itself), long
// strings in pieces joined by "+", sets, lists, collections and binary data in hex.
FormText formToText(const QByteArray& tpf0);

// The text (as formToText writes it, translated or not) back into a binary form,
// with `original` (the binary form it was made from) giving each value its type.
// An empty original gives each value the smallest type that holds it.
FormBinary formFromText(const QString& text, const QByteArray& original);

} // namespace kvarsel
