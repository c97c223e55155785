// Identifiers of the Pebble Notes dialogs, and the Windows style values the
// scripts name (the resource compiler reads them from here).

#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_SYSMENU 0x00080000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L

#define DS_FIXEDSYS 0x0008L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_CONTROL 0x0400L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

#define BS_AUTOCHECKBOX 0x0003L
#define BS_AUTORADIOBUTTON 0x0009L
#define BS_MULTILINE 0x2000L
#define SS_NOPREFIX 0x0080L
#define ES_AUTOHSCROLL 0x0080L
#define ES_NUMBER 0x2000L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_SORT 0x0100L

#define IDOK 1
#define IDCANCEL 2
#define IDC_STATIC (-1)

#define IDR_MAINFRAME 128
#define IDC_PRINTER 1000
#define IDC_PROPERTIES 1001
#define IDC_STATUS 1002
#define IDC_WHERE 1003
#define IDC_ALL 1004
#define IDC_PAGES 1005
#define IDC_PAGERANGE 1006
#define IDC_SELECTION 1007
#define IDC_COPIES 1008
#define IDC_COLLATE 1009
#define IDC_HEADER 1010
#define IDC_TOFILE 1011
#define IDC_VERSION 1012
#define IDC_NEWS 1013
#define IDC_CREDITS 1014
