#pragma once

// Qt's own standard texts (buttons of standard dialogs, the file dialog,
// context menus of edits) in Polish, from Qt's translations as the system
// installs them (Debian: qt6-translations-l10n), else from the program's
// resources (:/translations, where the Windows build puts Debian's file).
// The program's own captions
// are not translated: they are Polish already.

class QCoreApplication;

// Makes Polish the locale Qt formats with, and loads and installs Qt's
// Polish translation; false (and the texts stay English) when the system has
// none.
bool InstallQtPolishTexts(QCoreApplication& app);
