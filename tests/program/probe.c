/* Prints what Windows itself makes of a program's menus, dialogs and strings, as
   UTF-8 lines, so a test can compare the texts a user would see with the
   translation. Built with mingw by the tests and run under Wine:
     probe FILE [LANGID]
   loads FILE as a data file (with LANGID, hex, as the thread's language, so the
   resources of that language are the ones found first); lines are "menu NAME: TEXT" (a sub-menu's items
   indented by two spaces a level), "dialog NAME: TEXT" (the caption, then each
   child window), "string ID: TEXT". */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static void put(const char* prefix, const WCHAR* name, const WCHAR* text)
{
    char out[8192];
    char nameOut[512];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, NULL, NULL);
    if (n <= 0)
        out[0] = 0;
    if (IS_INTRESOURCE(name))
        snprintf(nameOut, sizeof nameOut, "%u", (unsigned)(ULONG_PTR)name);
    else if (WideCharToMultiByte(CP_UTF8, 0, name, -1, nameOut, sizeof nameOut, NULL, NULL) <= 0)
        nameOut[0] = 0;
    printf("%s %s: %s\n", prefix, nameOut, out);
}

static void walkMenu(HMENU menu, const WCHAR* name, int depth)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        WCHAR text[4096];
        WCHAR line[4200];
        MENUITEMINFOW info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = sizeof text / sizeof text[0];
        text[0] = 0;
        if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &info))
            continue;
        if (info.fType & MFT_SEPARATOR)
            continue;
        int at = 0;
        for (int d = 0; d < depth; ++d) {
            line[at++] = L' ';
            line[at++] = L' ';
        }
        lstrcpynW(line + at, text, 4096);
        put("menu", name, line);
        if (info.hSubMenu)
            walkMenu(info.hSubMenu, name, depth + 1);
    }
}

static BOOL CALLBACK onMenu(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR unused)
{
    (void)type;
    (void)unused;
    HMENU menu = LoadMenuW(module, name);
    if (!menu) {
        put("menu", name, L"(не загружено)");
        return TRUE;
    }
    walkMenu(menu, name, 0);
    DestroyMenu(menu);
    return TRUE;
}

static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    (void)window;
    (void)message;
    (void)w;
    (void)l;
    return FALSE;
}

static const WCHAR* currentDialog;

static BOOL CALLBACK onChild(HWND child, LPARAM unused)
{
    (void)unused;
    WCHAR text[4096];
    text[0] = 0;
    GetWindowTextW(child, text, 4096);
    put("dialog", currentDialog, text);
    return TRUE;
}

static BOOL CALLBACK onDialog(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR unused)
{
    (void)type;
    (void)unused;
    HWND dialog = CreateDialogParamW(module, name, NULL, dialogProc, 0);
    if (!dialog) {
        char why[64];
        snprintf(why, sizeof why, "(не создан: %lu)", GetLastError());
        WCHAR wide[64];
        MultiByteToWideChar(CP_UTF8, 0, why, -1, wide, 64);
        put("dialog", name, wide);
        return TRUE;
    }
    WCHAR text[4096];
    text[0] = 0;
    GetWindowTextW(dialog, text, 4096);
    put("dialog", name, text);
    currentDialog = name;
    EnumChildWindows(dialog, onChild, 0);
    DestroyWindow(dialog);
    return TRUE;
}

static BOOL CALLBACK onStrings(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR unused)
{
    (void)type;
    (void)unused;
    if (!IS_INTRESOURCE(name))
        return TRUE;
    UINT first = ((UINT)(ULONG_PTR)name - 1) * 16;
    for (UINT id = first; id < first + 16; ++id) {
        WCHAR text[4096];
        if (LoadStringW(module, id, text, 4096) > 0)
            put("string", (LPCWSTR)(ULONG_PTR)id, text);
    }
    return TRUE;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: probe FILE [LANGID]\n");
        return 2;
    }
    if (argc > 2) {
        LANGID language = (LANGID)strtoul(argv[2], NULL, 16);
        SetThreadUILanguage(language);
        SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    }
    WCHAR path[MAX_PATH];
    MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, path, MAX_PATH);
    HMODULE module = LoadLibraryExW(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        fprintf(stderr, "cannot load %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    /* The test programs' dialogs hold a control of a class of their own. */
    WNDCLASSW custom;
    ZeroMemory(&custom, sizeof custom);
    custom.lpfnWndProc = DefWindowProcW;
    custom.lpszClassName = L"DemoCustom";
    RegisterClassW(&custom);
    EnumResourceNamesW(module, (LPCWSTR)RT_MENU, onMenu, 0);
    EnumResourceNamesW(module, (LPCWSTR)RT_DIALOG, onDialog, 0);
    EnumResourceNamesW(module, (LPCWSTR)RT_STRING, onStrings, 0);
    fflush(stdout);
    return 0;
}
