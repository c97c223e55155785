#include "dialogs/WindowStyles.h"

#include <QHash>

namespace kvarsel {

namespace {

// The symbols dialog scripts use that change how a dialog or a control looks.
const QHash<QString, quint32>& symbols()
{
    static const QHash<QString, quint32> table{
        {QStringLiteral("WS_OVERLAPPED"), 0x0},
        {QStringLiteral("WS_POPUP"), ws::kPopup},
        {QStringLiteral("WS_CHILD"), ws::kChild},
        {QStringLiteral("WS_CHILDWINDOW"), ws::kChild},
        {QStringLiteral("WS_MINIMIZE"), 0x20000000},
        {QStringLiteral("WS_VISIBLE"), ws::kVisible},
        {QStringLiteral("WS_DISABLED"), ws::kDisabled},
        {QStringLiteral("WS_CLIPSIBLINGS"), 0x04000000},
        {QStringLiteral("WS_CLIPCHILDREN"), 0x02000000},
        {QStringLiteral("WS_MAXIMIZE"), 0x01000000},
        {QStringLiteral("WS_CAPTION"), ws::kCaption},
        {QStringLiteral("WS_BORDER"), ws::kBorder},
        {QStringLiteral("WS_DLGFRAME"), 0x00400000},
        {QStringLiteral("WS_VSCROLL"), 0x00200000},
        {QStringLiteral("WS_HSCROLL"), 0x00100000},
        {QStringLiteral("WS_SYSMENU"), ws::kSysMenu},
        {QStringLiteral("WS_THICKFRAME"), 0x00040000},
        {QStringLiteral("WS_SIZEBOX"), 0x00040000},
        {QStringLiteral("WS_GROUP"), ws::kGroup},
        {QStringLiteral("WS_TABSTOP"), ws::kTabStop},
        {QStringLiteral("WS_MINIMIZEBOX"), 0x00020000},
        {QStringLiteral("WS_MAXIMIZEBOX"), 0x00010000},
        {QStringLiteral("WS_OVERLAPPEDWINDOW"), 0x00CF0000},
        {QStringLiteral("WS_POPUPWINDOW"), 0x80880000},
        {QStringLiteral("DS_ABSALIGN"), 0x1},
        {QStringLiteral("DS_SYSMODAL"), 0x2},
        {QStringLiteral("DS_3DLOOK"), 0x4},
        {QStringLiteral("DS_FIXEDSYS"), ds::kFixedSys},
        {QStringLiteral("DS_NOFAILCREATE"), 0x10},
        {QStringLiteral("DS_LOCALEDIT"), 0x20},
        {QStringLiteral("DS_SETFONT"), ds::kSetFont},
        {QStringLiteral("DS_SHELLFONT"), ds::kShellFont},
        {QStringLiteral("DS_MODALFRAME"), ds::kModalFrame},
        {QStringLiteral("DS_NOIDLEMSG"), 0x100},
        {QStringLiteral("DS_SETFOREGROUND"), 0x200},
        {QStringLiteral("DS_CONTROL"), ds::kControl},
        {QStringLiteral("DS_CENTER"), 0x800},
        {QStringLiteral("DS_CENTERMOUSE"), 0x1000},
        {QStringLiteral("DS_CONTEXTHELP"), 0x2000},
        {QStringLiteral("BS_PUSHBUTTON"), bs::kPushButton},
        {QStringLiteral("BS_DEFPUSHBUTTON"), bs::kDefPushButton},
        {QStringLiteral("BS_CHECKBOX"), bs::kCheckBox},
        {QStringLiteral("BS_AUTOCHECKBOX"), bs::kAutoCheckBox},
        {QStringLiteral("BS_RADIOBUTTON"), bs::kRadioButton},
        {QStringLiteral("BS_3STATE"), bs::k3State},
        {QStringLiteral("BS_AUTO3STATE"), bs::kAuto3State},
        {QStringLiteral("BS_GROUPBOX"), bs::kGroupBox},
        {QStringLiteral("BS_USERBUTTON"), bs::kUserButton},
        {QStringLiteral("BS_AUTORADIOBUTTON"), bs::kAutoRadioButton},
        {QStringLiteral("BS_PUSHBOX"), bs::kPushBox},
        {QStringLiteral("BS_OWNERDRAW"), bs::kOwnerDraw},
        {QStringLiteral("BS_SPLITBUTTON"), bs::kSplitButton},
        {QStringLiteral("BS_DEFSPLITBUTTON"), bs::kDefSplitButton},
        {QStringLiteral("BS_COMMANDLINK"), bs::kCommandLink},
        {QStringLiteral("BS_DEFCOMMANDLINK"), bs::kDefCommandLink},
        {QStringLiteral("BS_TEXT"), 0x0},
        {QStringLiteral("BS_LEFTTEXT"), bs::kLeftText},
        {QStringLiteral("BS_RIGHTBUTTON"), bs::kLeftText},
        {QStringLiteral("BS_ICON"), 0x40},
        {QStringLiteral("BS_BITMAP"), 0x80},
        {QStringLiteral("BS_LEFT"), bs::kLeft},
        {QStringLiteral("BS_RIGHT"), bs::kRight},
        {QStringLiteral("BS_CENTER"), bs::kCenter},
        {QStringLiteral("BS_TOP"), bs::kTop},
        {QStringLiteral("BS_BOTTOM"), bs::kBottom},
        {QStringLiteral("BS_VCENTER"), bs::kVerticalMask},
        {QStringLiteral("BS_PUSHLIKE"), bs::kPushLike},
        {QStringLiteral("BS_MULTILINE"), bs::kMultiline},
        {QStringLiteral("BS_NOTIFY"), 0x4000},
        {QStringLiteral("BS_FLAT"), 0x8000},
        {QStringLiteral("SS_LEFT"), ss::kLeft},
        {QStringLiteral("SS_CENTER"), ss::kCenter},
        {QStringLiteral("SS_RIGHT"), ss::kRight},
        {QStringLiteral("SS_ICON"), ss::kIcon},
        {QStringLiteral("SS_BLACKRECT"), ss::kBlackRect},
        {QStringLiteral("SS_GRAYRECT"), ss::kGrayRect},
        {QStringLiteral("SS_WHITERECT"), ss::kWhiteRect},
        {QStringLiteral("SS_BLACKFRAME"), ss::kBlackFrame},
        {QStringLiteral("SS_GRAYFRAME"), ss::kGrayFrame},
        {QStringLiteral("SS_WHITEFRAME"), ss::kWhiteFrame},
        {QStringLiteral("SS_USERITEM"), ss::kUserItem},
        {QStringLiteral("SS_SIMPLE"), ss::kSimple},
        {QStringLiteral("SS_LEFTNOWORDWRAP"), ss::kLeftNoWordWrap},
        {QStringLiteral("SS_OWNERDRAW"), ss::kOwnerDraw},
        {QStringLiteral("SS_BITMAP"), ss::kBitmap},
        {QStringLiteral("SS_ENHMETAFILE"), ss::kEnhMetaFile},
        {QStringLiteral("SS_ETCHEDHORZ"), ss::kEtchedHorz},
        {QStringLiteral("SS_ETCHEDVERT"), ss::kEtchedVert},
        {QStringLiteral("SS_ETCHEDFRAME"), ss::kEtchedFrame},
        {QStringLiteral("SS_REALSIZECONTROL"), ss::kRealSizeControl},
        {QStringLiteral("SS_NOPREFIX"), ss::kNoPrefix},
        {QStringLiteral("SS_NOTIFY"), 0x100},
        {QStringLiteral("SS_CENTERIMAGE"), ss::kCenterImage},
        {QStringLiteral("SS_RIGHTJUST"), 0x400},
        {QStringLiteral("SS_REALSIZEIMAGE"), ss::kRealSizeImage},
        {QStringLiteral("SS_SUNKEN"), ss::kSunken},
        {QStringLiteral("SS_EDITCONTROL"), 0x2000},
        {QStringLiteral("SS_ENDELLIPSIS"), 0x4000},
        {QStringLiteral("SS_PATHELLIPSIS"), 0x8000},
        {QStringLiteral("SS_WORDELLIPSIS"), 0xC000},
        {QStringLiteral("ES_LEFT"), 0x0},
        {QStringLiteral("ES_CENTER"), 0x1},
        {QStringLiteral("ES_RIGHT"), 0x2},
        {QStringLiteral("ES_MULTILINE"), es::kMultiline},
        {QStringLiteral("ES_PASSWORD"), 0x20},
        {QStringLiteral("ES_AUTOVSCROLL"), 0x40},
        {QStringLiteral("ES_AUTOHSCROLL"), 0x80},
        {QStringLiteral("ES_READONLY"), 0x800},
        {QStringLiteral("ES_WANTRETURN"), 0x1000},
        {QStringLiteral("ES_NUMBER"), 0x2000},
        {QStringLiteral("LWS_TRANSPARENT"), 0x1},
        {QStringLiteral("LWS_IGNORERETURN"), 0x2},
        {QStringLiteral("LWS_NOPREFIX"), lws::kNoPrefix},
        {QStringLiteral("LWS_USEVISUALSTYLE"), 0x8},
        {QStringLiteral("LWS_USECUSTOMTEXT"), 0x10},
        {QStringLiteral("LWS_RIGHT"), lws::kRight},
        {QStringLiteral("UDS_WRAP"), 0x1},
        {QStringLiteral("UDS_SETBUDDYINT"), 0x2},
        {QStringLiteral("UDS_ALIGNRIGHT"), uds::kAlignRight},
        {QStringLiteral("UDS_ALIGNLEFT"), uds::kAlignLeft},
        {QStringLiteral("UDS_AUTOBUDDY"), uds::kAutoBuddy},
        {QStringLiteral("UDS_ARROWKEYS"), 0x20},
        {QStringLiteral("UDS_HORZ"), uds::kHorz},
        {QStringLiteral("UDS_NOTHOUSANDS"), 0x80},
        {QStringLiteral("UDS_HOTTRACK"), 0x100},
    };
    return table;
}

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Reads the expression left to right; every step moves on by at least one
// character, so any text ends.
class StyleReader {
public:
    explicit StyleReader(QStringView s) : m_s(s) {}

    quint32 sequence(quint32 value, StyleWord& word, int depth)
    {
        for (;;) {
            skipBlanks();
            if (m_i >= m_s.size())
                return value;
            if (m_s[m_i] == u')') {
                if (depth > 0)
                    return value;
                ++m_i; // a stray one
                continue;
            }
            if (m_s[m_i] == u'|' || m_s[m_i] == u'+') {
                ++m_i;
                continue;
            }
            const bool negate = takeWord(u"NOT");
            const quint32 bits = primary(word, negate, depth);
            value = negate ? value & ~bits : value | bits;
        }
    }

private:
    void skipBlanks()
    {
        while (m_i < m_s.size() && m_s[m_i].isSpace())
            ++m_i;
    }

    bool takeWord(QStringView w)
    {
        skipBlanks();
        const qsizetype end = m_i + w.size();
        if (end > m_s.size() || m_s.sliced(m_i, w.size()).compare(w, Qt::CaseInsensitive) != 0 ||
            (end < m_s.size() && isNameChar(m_s[end])))
            return false;
        m_i = end;
        return true;
    }

    quint32 primary(StyleWord& word, bool negated, int depth)
    {
        skipBlanks();
        if (m_i >= m_s.size())
            return 0;
        const QChar c = m_s[m_i];
        if (c == u'(' && depth < 32) {
            ++m_i;
            StyleWord inner;
            const quint32 v = sequence(0, inner, depth + 1);
            if (!negated)
                word.names += inner.names;
            if (m_i < m_s.size() && m_s[m_i] == u')')
                ++m_i;
            return v;
        }
        if (!isNameChar(c)) {
            ++m_i; // anything else is passed over
            return 0;
        }
        const qsizetype start = m_i;
        while (m_i < m_s.size() && isNameChar(m_s[m_i]))
            ++m_i;
        const QStringView token = m_s.sliced(start, m_i - start);
        if (c.isDigit())
            return number(token);
        const QString name = token.toString().toUpper();
        if (!negated)
            word.names << name;
        return symbols().value(name, 0);
    }

    // Decimal, or hexadecimal after 0x; the C suffixes L and U are allowed.
    static quint32 number(QStringView token)
    {
        while (!token.isEmpty() &&
               (token.back() == u'L' || token.back() == u'l' || token.back() == u'U' || token.back() == u'u'))
            token.chop(1);
        bool ok = false;
        const qulonglong v = token.startsWith(u"0x", Qt::CaseInsensitive)
                                 ? token.sliced(2).toULongLong(&ok, 16)
                                 : token.toULongLong(&ok, 10);
        return ok ? quint32(v) : 0;
    }

    QStringView m_s;
    qsizetype m_i = 0;
};

} // namespace

StyleWord readStyle(QStringView expression, quint32 defaults)
{
    StyleWord word;
    word.bits = StyleReader(expression).sequence(defaults, word, 0);
    return word;
}

QString windowClassName(const QString& written)
{
    QString name = written.trimmed();
    if (name.startsWith(u'L') && name.size() > 1 && name[1] == u'"')
        name.remove(0, 1);
    if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"')
        return name.mid(1, name.size() - 2);
    bool ok = false;
    const uint atom = name.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? name.mid(2).toUInt(&ok, 16)
                                                                                : name.toUInt(&ok, 10);
    static const char* const kPredefined[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    if (ok && atom >= 0x80 && atom <= 0x85)
        return QLatin1String(kPredefined[atom - 0x80]);
    return name;
}

} // namespace kvarsel
