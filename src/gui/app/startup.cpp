#include "gui/app/startup.h"

#include "core/app/appsettings.h"
#include "gui/about/startdialog.h"
#include "gui/app/mainwindow.h"
#include "gui/project/autosave.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

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

MainWindow *buildMainWindow()
{
    auto *w = new MainWindow(nullptr);
    w->setWindowIcon(QIcon(QStringLiteral(":/VLOGO.ico")));
    // Style sheets and layouts are otherwise worked out when it first shows.
    w->ensurePolished();
    w->resize(settings::open().value(settings::WindowSize, w->minimumSize()).toSize());
    w->layout()->activate();
    return w;
}

MainWindow *showMainWindow(MainWindow *w, const QStringList &arguments, const QString &startProject)
{
    // The first argument after the program's own path is a project to open;
    // the project chosen on the start dialog comes after it.
    for (const QString &project : {arguments.value(1), startProject}) {
        if (!project.isEmpty())
            w->LoadFile(project);
    }

    QSettings s = settings::open();
    if (s.value(settings::WindowMaximize, false).toBool()) {
        w->showMaximized();
    } else {
        w->resize(s.value(settings::WindowSize, w->minimumSize()).toSize());
        w->show();
    }
    return w;
}

MainWindow *createMainWindow(const QStringList &arguments, const QString &startProject)
{
    return showMainWindow(buildMainWindow(), arguments, startProject);
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

    // The main window is built while the start dialog is read, so that
    // pressing a button there only has to show it.
    std::unique_ptr<MainWindow> built;
    const StartChoice start = runStartDialog([&built] { built.reset(buildMainWindow()); });
    if (start.quit)
        return 0; // the updater took over
    MainWindow *w = showMainWindow(built ? built.release() : buildMainWindow(), app.arguments(),
                                   start.projectPath);
    // What an editor that crashed or was killed left behind.
    w->autoSave()->offerRecovery();
    const int rc = app.exec();
    delete w;
    return rc;
}

} // namespace vc
