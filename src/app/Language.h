#pragma once

// The interface is Russian whatever the machine's language: Qt's own texts (standard buttons,
// file dialogs, context menus) from Qt's Russian translations, and the Russian locale for
// month and day names and a week starting on Monday in the date pickers' calendars.
namespace veltor {

// Call once, after the QApplication exists and before any window is built. Returns false when
// Qt's Russian translations are not installed (qt6-translations-l10n): the locale is still set.
bool useRussianInterface();

} // namespace veltor
