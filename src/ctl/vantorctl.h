#pragma once

#include <QStringList>

class QTextStream;

// vantorctl: the editor's project reading, show export and upload as
// commands, for performers with several props and for people who prepare
// shows for others. Every command gives the bytes the editor gives for the
// same project and settings.
namespace vc::ctl {

enum ExitStatus
{
    ExitOk = 0,
    ExitFailed = 1, // the operation failed, or its input was refused
    ExitUsage = 2,  // the command line itself is wrong
};

// Runs one command line (arguments[0] is the program). Results go to out,
// messages and progress to err; out and err are flushed before returning.
// An application object must exist (a QGuiApplication for "convert").
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// The program: makes the application object the command needs (a GUI
// application without a display for "convert", a core application
// otherwise), installs the English texts and runs the command.
int main(int argc, char **argv);

} // namespace vc::ctl
