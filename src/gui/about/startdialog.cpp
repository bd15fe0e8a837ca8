#include "gui/about/startdialog.h"

#include "gui/about/about.h"
#include "gui/common/prompter.h"

#include <QIcon>

namespace vc {

StartChoice runStartDialog()
{
    about dialog;
    dialog.setWindowIcon(QIcon(QStringLiteral(":/VLOGO.ico")));
    StartChoice choice;
    choice.quit = prompter().exec(&dialog) == QDialog::Accepted;
    choice.projectPath = dialog.projectPath();
    return choice;
}

void showAboutBox(QWidget *parent)
{
    about dialog(parent);
    dialog.hideStartButtons();
    prompter().exec(&dialog);
}

} // namespace vc
