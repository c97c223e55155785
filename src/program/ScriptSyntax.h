#pragma once
// The statement language of resource scripts as the resource compiler reads it:
// comments, #define and the simple conditionals, numbers and expressions (with NOT
// for styles), narrow and wide strings with their escapes. Shared by the menu,
// dialog and string table compilers, which read statements off a ScriptReader.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <cstring>
#include <memory>
#include <utility>

namespace kvarsel::rc {

// Why a script does not compile; thrown by the reader and the statement parsers,
// caught once by compileScript.
struct ScriptError {
    int line = 0;
    QString message; // Russian
};

struct Token {
    enum Kind { End, Number, String, Word, Punct };
    Kind kind = End;
    QString text;      // a word as written, a string's characters, a punctuation mark
    quint32 value = 0; // a number's value
    bool wide = false; // a string written L"..."
    int line = 0;
};

class Lexer;

// Tokens are made as the statements ask for them, a few hundred at a time, and the
// ones taken are let go: a script of any size is read in the memory of a few lines.
class ScriptReader {
public:
    explicit ScriptReader(const QString& text);
    ~ScriptReader();
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;

    bool atEnd() const { return peek().kind == Token::End; }
    const Token& peek(qsizetype ahead = 0) const
    {
        const qsizetype index = m_at + ahead;
        return index < m_tokens.size() ? std::as_const(m_tokens)[index] : peekFurther(index);
    }
    // The next token, its text its own (peek's may point into the script).
    Token take();
    int line() const { return peek().line; }
    [[noreturn]] void fail(const QString& message) const;

    bool isWord(QStringView word, qsizetype ahead = 0) const;
    bool takeWord(QStringView word);
    bool takePunct(QChar c);
    void expectPunct(QChar c);
    bool takeComma() { return takePunct(u','); }
    // BEGIN or {, END or }.
    bool isBegin() const;
    bool isEnd() const;
    void expectBegin();
    bool takeEnd();

    bool startsString() const { return peek().kind == Token::String; }
    bool startsNumber() const;
    // Adjacent strings are one string, as in C.
    QString string();
    // A string a template ends with a zero: one holding a NUL character is refused.
    QString textString();
    // An integer expression: + - | & * / ~ unary minus and parentheses, 32 bits wide.
    quint32 number();
    // A style: `base` is what the statement always has; each term is or-ed in, and
    // NOT X takes X's bits away, in the order written.
    quint32 style(quint32 base);
    // The memory options and the LANGUAGE, VERSION and CHARACTERISTICS statements a
    // resource may have before its body; none of them changes the resource's data.
    void skipResourceOptions();

private:
    const Token& peekFurther(qsizetype index) const;
    void skip();
    // Asked of nearly every token by the expression reader: inline.
    bool isPunct(char16_t c) const
    {
        const Token& t = peek();
        return t.kind == Token::Punct && t.text.front() == c;
    }
    quint32 orExpression(int depth);
    quint32 term(int depth);
    quint32 unary(int depth);

    static constexpr qsizetype kTokensAhead = 256, kTokensKept = 512;
    std::unique_ptr<Lexer> m_lexer;
    mutable QList<Token> m_tokens; // from the first not yet let go
    mutable bool m_ended = false;
    mutable Token m_end; // on the script's last line
    qsizetype m_at = 0;
};

// `text` as a narrow string of a script, quotes included: a quotation mark doubled,
// backslash, tab, line breaks and other control characters escaped, every other
// character as itself.
QString quoted(QStringView text);

// A script being written, a piece at a time: a dialog's script is hundreds of
// pieces, and QString::append checks sharing and room on the way in for every one
// of them (a sixth of making a program's scripts). This writes into room of its
// own instead, grown as a QString grows.
class ScriptText {
public:
    void reserve(qsizetype n)
    {
        if (n > m_text.size())
            grow(n - m_size);
    }
    ScriptText& operator+=(QStringView piece)
    {
        if (piece.isEmpty()) // an empty view may point nowhere, which memcpy may not be given
            return *this;
        std::memcpy(room(piece.size()), piece.utf16(), size_t(piece.size()) * sizeof(char16_t));
        m_size += piece.size();
        return *this;
    }
    ScriptText& operator+=(QLatin1StringView piece)
    {
        char16_t* d = room(piece.size());
        for (const char c : piece)
            *d++ = char16_t(uchar(c));
        m_size += piece.size();
        return *this;
    }
    ScriptText& operator+=(QChar c)
    {
        *room(1) = c.unicode();
        ++m_size;
        return *this;
    }
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The text written, leaving this empty.
    QString take()
    {
        m_text.truncate(m_size);
        m_size = 0;
        m_data = nullptr;
        return std::exchange(m_text, QString());
    }

private:
    char16_t* room(qsizetype n)
    {
        if (m_text.size() - m_size < n)
            grow(n);
        return m_data + m_size;
    }
    void grow(qsizetype n);

    QString m_text; // its size is the room; the text is its first m_size characters
    char16_t* m_data = nullptr;
    qsizetype m_size = 0;
};

// The writers build a whole script in one text: these append a piece in place,
// with no string of its own for each number or quoted text.
void appendQuoted(ScriptText& out, QStringView text);
void appendHex(ScriptText& out, quint32 value);
void appendNumber(ScriptText& out, qint64 value);

// The value of a Windows SDK symbol a script may name (styles, control ids, menu
// flags), or -1 when the program does not know it.
qint64 sdkSymbol(QStringView name);

// A number as scripts write styles: "0x50010000", or "0".
QString hex(quint32 value);

} // namespace kvarsel::rc
