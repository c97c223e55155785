#pragma once
// The programs the program tests work on, built by the real toolchain (mingw's gcc
// and windres) from a script in the shapes real programs have.

#include "TestUtil.h"

#include <QDir>
#include <QProcess>

namespace kvarsel::test {

struct Run {
    int status = -1;
    QByteArray out, err;
};

inline Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env = {},
               int timeoutMs = 120000)
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, arguments);
    Run r;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return r;
}

// A 16x16 two-colour icon, enough for the resource compiler and the icon group.
inline QByteArray iconFile()
{
    QByteArray ico = QByteArray::fromHex("0000010001001010020001000100b0000000"
                                         "16000000");
    QByteArray dib = QByteArray::fromHex(
        "28000000100000002000000001000100000000000000000000000000000000000000000000000000");
    dib += QByteArray::fromHex("00000000ffffff00");
    dib += QByteArray(64, '\x55');
    dib += QByteArray(64, '\0');
    return ico + dib;
}

inline const char* const kAppScript = R"RC(#include <windows.h>

#define IDC_NAME 1001
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US

"MAINMENU" MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open...\tCtrl+O",	100
        MENUITEM SEPARATOR
        MENUITEM "E&xit", 101
    END
    POPUP "&Help"
    BEGIN
        MENUITEM "&About ""Demo""...", 102
    END
END

200 MENUEX
BEGIN
    POPUP "&Edit", 300, MFT_STRING, MFS_ENABLED
    BEGIN
        MENUITEM "&Copy", 301, MFT_STRING, MFS_CHECKED
        MENUITEM "", 0, MFT_SEPARATOR
        MENUITEM "Save && Close", 302, MFT_STRING, MFS_GRAYED
    END
END

/* The print dialog: a hidden note and a control of the program's own class. */
"PRINT" DIALOGEX 0, 0, 220, 110
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
EXSTYLE WS_EX_CONTEXTHELP
CAPTION "Print"
FONT 9, "Segoe UI", 400, 0, 0x1
BEGIN
	LTEXT		"Printer &name:", -1, 7, 9, 60, 8
	COMBOBOX	IDC_NAME, 70, 7, 140, 80, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
	CONTROL		"&Collate copies", 1002, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 7, 30, 90, 10
	CONTROL		"Hidden note", 1003, "Static", SS_LEFT | NOT WS_VISIBLE, 7, 45, 100, 8
	CONTROL		"Preview", 1004, "DemoCustom", WS_TABSTOP | WS_BORDER, 7, 58, 80, 30
	DEFPUSHBUTTON	"OK", IDOK, 110, 90, 50, 14
	PUSHBUTTON	"Cancel", IDCANCEL, 163, 90, 50, 14
END

101 DIALOG 0, 0, 160, 60
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "About"
FONT 8, "MS Shell Dlg"
BEGIN
    ICON 1, -1, 7, 7, 21, 20
    LTEXT "Demo, version 1.0", -1, 35, 10, 110, 8
    DEFPUSHBUTTON "OK", IDOK, 55, 40, 50, 14
END

1 ICON "app.ico"

STRINGTABLE
BEGIN
    1, "Ready"
    2, "File ""%s"" was not found."
    17, L"Wide text"
    18, "Tab\there"
END

"ACCEL" ACCELERATORS
BEGIN
    "O", 100, VIRTKEY, CONTROL
END

1 VERSIONINFO
FILEVERSION 1,0,0,0
PRODUCTVERSION 1,0,0,0
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
            VALUE "FileDescription", "Demo program"
            VALUE "ProductName", "Demo"
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END

// Bytes no menu can be: the unpacker leaves this one in the program as it is.
301 4 "junk.bin"
)RC";

inline QString windresOf(const QString& arch) { return arch + QStringLiteral("-w64-mingw32-windres"); }
inline QString gccOf(const QString& arch) { return arch + QStringLiteral("-w64-mingw32-gcc"); }

// Builds the test program for `arch` ("x86_64", "i686") in `dir`: an "exe", a
// resource-only "dll", an exe with an "overlay" after its sections, or the "res"
// file windres makes of the script. Returns its path, or empty when the toolchain failed.
inline QString buildTestProgram(const QString& arch, const QString& shape, const QString& dir)
{
    QDir().mkpath(dir);
    const QDir d(dir);
    writeBytes(d.filePath(QStringLiteral("app.rc")), QByteArray(kAppScript));
    writeBytes(d.filePath(QStringLiteral("app.ico")), iconFile());
    writeBytes(d.filePath(QStringLiteral("junk.bin")), QByteArray("\x01\x02\x03"));
    writeBytes(d.filePath(QStringLiteral("main.c")), QByteArray("int main(void) { return 0; }\n"));
    const QString windres = windresOf(arch);
    if (shape == QStringLiteral("res")) {
        const QString res = d.filePath(QStringLiteral("app.res"));
        const Run r = run(windres, {QStringLiteral("-I"), dir, d.filePath(QStringLiteral("app.rc")),
                                    QStringLiteral("-O"), QStringLiteral("res"), QStringLiteral("-o"), res});
        return r.status == 0 ? res : QString();
    }
    const QString object = d.filePath(QStringLiteral("app.o"));
    if (run(windres,
            {QStringLiteral("-I"), dir, d.filePath(QStringLiteral("app.rc")), QStringLiteral("-o"), object})
            .status != 0)
        return QString();
    const bool dll = shape == QStringLiteral("dll");
    const QString program = d.filePath(dll ? QStringLiteral("app.dll") : QStringLiteral("app.exe"));
    const QStringList link =
        dll ? QStringList{QStringLiteral("-shared"), QStringLiteral("-nostdlib"), object,
                          QStringLiteral("-o"), program}
            : QStringList{d.filePath(QStringLiteral("main.c")), object, QStringLiteral("-o"), program};
    if (run(gccOf(arch), link).status != 0)
        return QString();
    if (shape == QStringLiteral("overlay")) {
        QFile f(program);
        if (!f.open(QIODevice::Append))
            return QString();
        // Large enough that the program is read as a large file is (in huge pages).
        f.write(pseudoRandomBytes(5 << 19, 1));
    }
    return program;
}

} // namespace kvarsel::test
