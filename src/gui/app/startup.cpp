#include "gui/app/startup.h"

#include "core/app/appsettings.h"
#include "gui/about/startdialog.h"
#include "gui/app/mainwindow.h"
#include "gui/project/autosave.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vc {

int applyStartupSettings(QApplication &app, QTranslator &translator)
{
    QSettings s = settings::open();
    s.setValue(settings::Version, settings::ProgramVersion);

    const int language = s.value(settings::Language, settings::LanguageUnset).toInt();
    switch (language) {
    case settings::LanguageChinese:
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::AnyCountry));
        app.installTranslator(&translator);
        return settings::LanguageChinese;
    case settings::LanguageEnglish:
        // A missing translation leaves the source texts; nothing to report.
        if (!translator.load(QStringLiteral(":/language/language/english.qm")))
            qDebug() << "translation not loaded";
        app.installTranslator(&translator);
        return settings::LanguageEnglish;
    case settings::LanguageUnset:
        s.setValue(settings::Language, settings::LanguageChinese);
        s.setValue(settings::Gadget, settings::FirstRunGadget);
        return settings::LanguageChinese;
    default:
        app.installTranslator(&translator);
        return settings::LanguageChinese;
    }
}

bool installToolkitTranslation(QApplication &app, QTranslator &translator, int language)
{
    if (language != settings::LanguageChinese)
        return false;
    if (!translator.load(QStringLiteral("qt_zh_TW"),
                         QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        return false; // the toolkit's texts stay English
    return app.installTranslator(&translator);
}

MainWindow *createMainWindow(const QStringList &arguments, const QString &startProject)
{
    // The first argument after the program's own path is a project to open.
    auto *w = new MainWindow(nullptr, arguments.value(1));
    w->setWindowIcon(QIcon(QStringLiteral(":/VLOGO.ico")));
    // The project chosen on the start dialog comes after the command line's.
    if (!startProject.isEmpty())
        w->LoadFile(startProject);

    QSettings s = settings::open();
    if (s.value(settings::WindowMaximize, false).toBool()) {
        w->showMaximized();
    } else {
        w->resize(s.value(settings::WindowSize, w->minimumSize()).toSize());
        w->show();
    }
    return w;
}

int runEditor(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Lets the desktop match the windows to the installed desktop entry
    // (its name and icon), also where window classes are not used.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.mervalo.VantorCreator"));
    QTranslator translator;
    QTranslator toolkit;
    installToolkitTranslation(app, toolkit, applyStartupSettings(app, translator));

    const StartChoice start = runStartDialog();
    if (start.quit)
        return 0; // the updater took over
    MainWindow *w = createMainWindow(app.arguments(), start.projectPath);
    // What an editor that crashed or was killed left behind.
    w->autoSave()->offerRecovery();
    const int rc = app.exec();
    delete w;
    return rc;
}

} // namespace vc
