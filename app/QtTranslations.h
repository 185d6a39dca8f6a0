#pragma once

class QCoreApplication;

namespace vorlin {

// Installs Qt's own Simplified Chinese texts on the application (standard buttons such as OK,
// the tab bar's scroll buttons, the serial port's error texts), whatever the user's locale: the
// window is Chinese in every locale. Call it before the window is made, since Qt names some
// controls only once, as they are made. False when Qt's translations are not installed
// (Debian: qt6-translations-l10n); Qt's own texts then stay English.
bool InstallQtTranslations(QCoreApplication &application);

} // namespace vorlin
