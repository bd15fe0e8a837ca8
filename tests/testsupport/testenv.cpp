#include "testenv.h"

#include "core/app/appsettings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

namespace vc::test {

namespace {
QTemporaryDir *g_home = nullptr;
}

void isolateEnvironment()
{
    if (g_home)
        return;
    g_home = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/vc-test-XXXXXX"));
    QByteArray home = g_home->path().toLocal8Bit();
    // A test's child process (a second editor) shares its parent's home.
    const QByteArray shared = qgetenv(SharedHomeVariable);
    if (!shared.isEmpty())
        home = shared;
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home + "/.runtime");
    QDir(g_home->path()).mkpath(QStringLiteral(".config"));
    QDir(g_home->path()).mkpath(QStringLiteral(".runtime"));
    QFile::setPermissions(g_home->path() + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QStandardPaths::setTestModeEnabled(true);
    // No test may reach a real update server: the default is a closed local
    // port; tests with a stand-in server set their own address.
    qputenv("VANTOR_UPDATE_URL", "http://127.0.0.1:1");
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    std::atexit([] {
        delete g_home;
        g_home = nullptr;
    });
}

QString testHome()
{
    const QByteArray shared = qgetenv(SharedHomeVariable);
    if (!shared.isEmpty())
        return QString::fromLocal8Bit(shared);
    return g_home ? g_home->path() : QString();
}

void clearSettings()
{
    QSettings s = vc::settings::open();
    s.clear();
    s.sync();
}

} // namespace vc::test
