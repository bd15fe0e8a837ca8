// Picture loading of the mode editor: one large photo, an 8000 x 8000
// picture loaded and then selected again (with the longest time the
// interface thread went without handling events), and a multiple load of
// many pictures that become one mode each.
//   bench_editor [runs]
#include "core/app/appsettings.h"
#include "core/model/show.h"
#include "core/render/picturepattern.h"
#include "gui/app/mainwindow.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/picturetab.h"
#include "gui/timeline/timeline.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Answers the multiple-load dialog with a fixed list, and nothing else.
class FilesPrompter : public vc::Prompter
{
public:
    QStringList files;
    QStringList openFileNames(QWidget *, const QString &, const QString &, const QString &) override
    {
        return files;
    }
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        return QMessageBox::NoButton;
    }
};

// A photo-like picture: gradients and shapes, so the JPEG is not trivial.
QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(20, 80, 160));
    g.setColorAt(0.5, QColor(240, 200, 60));
    g.setColorAt(1, QColor(120, 20, 90));
    p.fillRect(img.rect(), g);
    for (int i = 0; i < 60; ++i) {
        p.setBrush(QColor::fromHsv((i * 37) % 360, 200, 220));
        p.drawEllipse(QPoint((i * 997) % w, (i * 613) % h), w / 20 + i, h / 25 + i);
    }
    return img;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("photo-4000x3000.jpg"));
    photo(4000, 3000).save(big, "JPG", 90);
    QStringList many;
    const QImage small = photo(800, 600);
    for (int i = 0; i < 50; ++i) {
        const QString path =
            dir.filePath(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
        small.save(path, "JPG", 85);
        many << path;
    }

    FilesPrompter prompter;
    vc::Prompter::setInstance(&prompter);
    vc::settings::open().setValue(vc::settings::Gadget, 4); // 120 LEDs
    MainWindow w;

    std::vector<double> picloads;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        w.picload(big);
        picloads.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf(
        "picload 4000x3000 JPEG at %d LEDs: median %.1f ms (min %.1f, max %.1f) over %d runs\n",
        int(w.document()->leds()), median(picloads),
        *std::min_element(picloads.begin(), picloads.end()),
        *std::max_element(picloads.begin(), picloads.end()), runs);

    // The longest stretch the interface thread spends without handling its
    // events while a huge picture is loaded, and loaded again (as selecting
    // its mode does).
    for (const char *format : {"PNG", "JPG"}) {
        const QString huge = dir.filePath(QStringLiteral("huge.") + QLatin1String(format));
        photo(8000, 8000).save(huge, format, 90);
        {
            // What every selection of its mode cost while the picture was
            // decoded again each time, on the interface thread.
            QElapsedTimer t;
            t.start();
            vc::readLedPicture(huge, w.document()->leds(), false, false);
            std::printf("decoding 8000x8000 %s to %d LEDs: %.0f ms\n", format,
                        int(w.document()->leds()), t.nsecsElapsed() / 1e6);
        }
        for (const char *when : {"first load", "selected again"}) {
            QElapsedTimer sinceTick;
            qint64 longest = 0;
            QTimer tick;
            QObject::connect(&tick, &QTimer::timeout,
                             [&] { longest = std::max(longest, sinceTick.restart()); });
            tick.start(10);
            sinceTick.start();
            QElapsedTimer t;
            t.start();
            w.picload(huge);
            const double ms = t.nsecsElapsed() / 1e6;
            longest = std::max(longest, sinceTick.elapsed());
            std::printf("picload 8000x8000 %s, %s: %.0f ms, interface thread held at most %lld "
                        "ms\n",
                        format, when, ms, static_cast<long long>(longest));
        }
    }

    std::vector<double> loads;
    for (int i = 0; i < std::max(1, runs / 5); ++i) {
        w.tracks()->clearProject();
        prompter.files = many;
        QElapsedTimer t;
        t.start();
        w.form()->Pic_Loads->click();
        loads.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("multiple load of 50 pictures (800x600 JPEG), %d modes: median %.0f ms (%.1f ms "
                "per picture)\n",
                int(w.tracks()->currentTrack()->items().size()), median(loads), median(loads) / 50);
    vc::Prompter::setInstance(nullptr);
    return 0;
}
