#pragma once

#include <QStringList>

class QApplication;
class QTranslator;
class MainWindow;

namespace vc {

// Writes the program version and installs the chosen language, marking the
// first run in the settings. Returns the language that is in effect
// (1 Chinese, 2 English).
int applyStartupSettings(QApplication &app, QTranslator &translator);
// The toolkit's own texts (standard buttons, colour and file dialogs) in the
// chosen language, from the system's Qt translations; English needs none.
// Returns whether a translation was installed.
bool installToolkitTranslation(QApplication &app, QTranslator &translator, int language);

// Builds the main window, hidden and with a new project: the slow part of
// starting, done while the start dialog waits for the user.
MainWindow *buildMainWindow();
// Loads the command line's project and then the one chosen at start, if
// any, into a built main window and shows it the way the last session left
// it.
MainWindow *showMainWindow(MainWindow *w, const QStringList &arguments,
                           const QString &startProject = QString());
// Both of the above.
MainWindow *createMainWindow(const QStringList &arguments, const QString &startProject = QString());

// The whole program: settings, language, start dialog, main window, event
// loop.
int runEditor(int argc, char **argv);

} // namespace vc
