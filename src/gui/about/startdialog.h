#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vc {

// What the user chose on the start dialog.
struct StartChoice
{
    // The updater took over: end without the main window.
    bool quit = false;
    // A project to load once the main window is built; empty for a new one.
    QString projectPath;
};

// Shows the start dialog (version, update check, how to begin) modally.
// whileShown, when given, runs once the dialog is on the screen, while the
// user reads it: work that would otherwise come after the user's choice.
StartChoice runStartDialog(const std::function<void()> &whileShown = {});

// The about box of the menu: the same dialog without the start buttons.
// Its result is ignored; the editor goes on even when the updater started.
void showAboutBox(QWidget *parent);

} // namespace vc
