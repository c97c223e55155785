#pragma once
// A whole resource script (.rc, as Visual Studio or a person writes it) taken apart
// into the menus, dialogs and string tables a translator works on, and put back.
//
// The file is never rewritten from a model: reading finds each block's exact lines,
// cutting copies those lines into a script of their own, and splicing puts the
// (translated) lines back between the file's untouched bytes. So the preprocessor
// lines, the other resources, the encoding with its mark and the line ends stay as
// the file's author left them.

#include "model/ResourceKind.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace kvarsel {

// A language the file names that this reader cannot resolve (a name defined elsewhere).
inline constexpr quint16 kUnknownRcLanguage = 0xFFFF;

// How the characters of a part of the file are stored: a code page number as the
// compiler's `#pragma code_page` names it, 1200 for UTF-16LE, 65001 for UTF-8.
inline constexpr quint32 kRcUtf16 = 1200;
inline constexpr quint32 kRcUtf8 = 65001;

struct RcBlock {
    ResourceKind kind = ResourceKind::Menu;
    QString type;                       // MENU, MENUEX, DIALOG, DIALOGEX or STRINGTABLE
    QString name;                       // as written, quotes taken off; empty for STRINGTABLE
    quint16 language = 0x0409;          // the LANGUAGE in force, or the block's own
    quint32 codePage = 1251;            // of the block's bytes
    qsizetype begin = 0, end = 0;       // bytes: whole lines, the last one's line end included
    int firstLine = 0, lastLine = 0;    // 0-based lines of the file
    std::optional<int> ownLanguageLine; // a LANGUAGE statement in the block's own header
    // The conditional lines the block stands under, outermost section first: each
    // section's #if and the #elif and #else lines before the block, comments taken off.
    QList<QStringList> conditions;
    // The first line where a text shares its line with the block's BEGIN or END
    // ("2 MENU BEGIN MENUITEM "Print", 3 END"): the loader, a line a statement, does
    // not offer such texts.
    std::optional<int> crowdedLine;
};

struct RcLine {
    qsizetype begin = 0;   // first byte
    qsizetype textEnd = 0; // where the line end starts
    qsizetype end = 0;     // after the line end
};

class RcScript {
public:
    // Reads the bytes of a whole script; error() tells why they are not one.
    static RcScript read(const QByteArray& bytes);

    const QString& error() const { return m_error; }
    const QByteArray& bytes() const { return m_bytes; }
    const QList<RcBlock>& blocks() const { return m_blocks; }
    const QList<RcLine>& lines() const { return m_lines; }
    bool isUtf16() const { return m_utf16; }
    // The byte-order mark the file starts with (and every script cut from it).
    QByteArray mark() const;
    // The languages of the blocks, ascending.
    QList<quint16> languages() const;

    // The language whose blocks are translated: `requested` (a number such as 0x0409
    // or 1033, or a two-letter code such as "en"), else English (0x0409 first), else the
    // neutral language, else the only one. Empty and `*error` set when none fits.
    std::optional<quint16> sourceLanguage(const QString& requested, QString* error) const;

    // The bytes of the script cut from block `index`: its lines as they stand, after
    // the file's byte-order mark (UTF-8 gets one so the script reads back as UTF-8).
    QByteArray cutScript(int index) const;

    // The file's own line end ("\r\n" or "\n"), in its encoding.
    QByteArray lineEnd() const;

    // Internal state the splicer needs at a line: the text of the LANGUAGE and
    // code_page statements in force after it and its #if depth.
    struct LineState {
        QString language; // "LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US" as written; empty: none yet
        QString codePage; // "1252" as written in the pragma; empty: none yet
        int depth = 0;
    };
    const QList<LineState>& lineStates() const { return m_states; }
    bool namesLanguagesSymbolically() const { return m_symbolicLanguages; }
    // Whether the file says the code page of `line`'s characters (a byte-order mark, or
    // a #pragma code_page in force other than DEFAULT), rather than leaving it to
    // whatever the compiler takes when nothing is said.
    bool saysCodePageAt(int line) const;
    // Text of a line without its line end, decoded for reading (single-byte code pages
    // one character a byte).
    QString lineText(int line) const;

private:
    QByteArray m_bytes;
    QString m_error;
    bool m_utf16 = false;
    bool m_utf8Mark = false;
    bool m_symbolicLanguages = false;
    QList<RcLine> m_lines;
    QList<LineState> m_states;
    QList<RcBlock> m_blocks;
    friend class RcReader;
};

// A block cut out as a script of the resource directory.
struct RcCutScript {
    int block = 0;
    ResourceKind kind = ResourceKind::Menu;
    QString baseName; // file name without ".rc", safe on every file system, unique in its kind
    QByteArray bytes;
};

// The scripts of every block in `language`, in the file's order.
QList<RcCutScript> cutRcScript(const RcScript& script, quint16 language);

enum class RcSpliceMode {
    InPlace,     // each block replaced by its script
    RussianCopy, // the source left as it was, the changed blocks added again as Russian
};

struct RcReplacement {
    int block = 0;
    QByteArray scriptBytes; // the script file as it is now
};

struct RcSpliced {
    QByteArray bytes;
    QString error; // Russian, naming `fileName` and the line; empty on success
    int changedBlocks = 0;
};

// The file with the replacements put in. A block whose script equals what was cut
// keeps its bytes; a character the file cannot hold refuses the whole file. A Russian
// copy keeps each block's #if conditions, takes every string table of the source along
// with a changed one (Windows looks strings up by groups of sixteen, and a Russian group
// hides the whole English one), and is refused where the file has a Russian block of
// its own that the copy would define a second time.
RcSpliced spliceRcScript(const RcScript& script, const QList<RcReplacement>& replacements, RcSpliceMode mode,
                         const QString& fileName);

} // namespace kvarsel
