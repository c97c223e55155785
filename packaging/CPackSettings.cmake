# The Debian package: both programs, the menu entry and the icon.
set(CPACK_PACKAGE_NAME kvarsel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Кварсел")
# The package is built where it is used, so whoever builds it maintains it: the
# Debian tools' DEBFULLNAME and DEBEMAIL when set, else the building account on this host.
if(DEFINED ENV{DEBEMAIL})
  set(_kvarsel_name "$ENV{DEBFULLNAME}")
  if(_kvarsel_name STREQUAL "")
    set(_kvarsel_name "Кварсел")
  endif()
  set(CPACK_PACKAGE_CONTACT "${_kvarsel_name} <$ENV{DEBEMAIL}>")
else()
  cmake_host_system_information(RESULT _kvarsel_host QUERY FQDN)
  set(_kvarsel_user "$ENV{USER}")
  if(_kvarsel_user STREQUAL "")
    set(_kvarsel_user "root")
  endif()
  set(CPACK_PACKAGE_CONTACT "Кварсел <${_kvarsel_user}@${_kvarsel_host}>")
endif()
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Translator of Windows resource scripts from English into Russian")
set(CPACK_PACKAGE_DESCRIPTION
    "Кварсел translates the user-visible texts of Windows resource scripts (menu, dialog,\n\
string table and RCDATA scripts extracted as text) from English into Russian through\n\
phrase dictionaries, by hand or automatically. Its whole interface is in Russian.\n\
kvarsel-batch re-applies the dictionaries to a resource directory from a script.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The window program needs a platform plugin, which Debian ships apart from the Qt
# libraries, and Qt's Russian translation for the texts of Qt's own dialogs and menus.
# The dialog preview and the fit check measure with fonts metric-compatible with Windows ones:
# Wine's Tahoma and MS Sans Serif for the dialog faces, Liberation for the others.
# Spelling is Hunspell's, with Debian's Russian dictionary.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation, fonts-wine, hunspell-ru")
find_program(KVARSEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KVARSEL_DPKG_SHLIBDEPS)
  # The exact library versions the binaries were linked against, Qt 6 among them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6core6, libqt6gui6, libqt6widgets6, libhunspell-1.7-0")
endif()
# Only what install() names goes into the package: no tests, no headers.
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")
include(CPack)
