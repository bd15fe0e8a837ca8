// The cost of a frame of the All props view with 1 to 4 props against a
// frame of the main preview, as CPU time of stepping and drawing (the main
// preview's OpenGL hand-off left out). Frames are 16 ms apart, as at 60 Hz,
// so that every step draws the columns a real frame would.
//   bench_allprops                 prints the figures
//   bench_allprops --write PATH    writes the show it plays as a project with
//                                  three props, to look at in the editor
#include "core/model/show.h"
#include "core/project/projectextras.h"
#include "core/project/projectformat.h"
#include "core/render/proppreview.h"
#include "gui/render/allpropsview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QThread>

namespace {

constexpr int Frames = 120;
constexpr int Leds = 36;

// Slanted rainbow stripes, turned by `seed`: every column differs.
QImage pattern(quint32 seed)
{
    QImage img(300, 85, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         QColor::fromHsv(int((x * 4 + y * 3 + seed * 97) % 360), 255,
                                         (x / 10 + seed) % 3 == 0 ? 90 : 255)
                             .rgb());
    return img;
}

vc::ModeRecord pictureMode(quint32 seed, const QString &picture = QStringLiteral("/p.png"))
{
    vc::ModeRecord r;
    r.kind = vc::Picture;
    r.start = 0;
    r.end = 60000;
    r.loops = 20;
    r.thumb = pattern(seed);
    r.params = vc::pictureParams(20, picture, 20, true, false);
    return r;
}

int writeShow(const QString &path)
{
    vc::ProjectData data;
    data.leds = Leds;
    data.frameRate = 1333;
    vc::ProjectExtras extras;
    const char *const names[] = {"Mei", "Jun", "Hana"};
    for (int t = 0; t < 3; ++t) {
        // The picture beside the project, so that the editor finds it.
        const QString picture = QFileInfo(path).absolutePath() + QStringLiteral("/p%1.png").arg(t);
        pattern(t + 2).save(picture);
        data.tracks.append(QVector<QByteArray>{pictureMode(t + 2, picture).encode()});
        extras.props.append({t + 1, QString::fromLatin1(names[t]), QString()});
    }
    QString error;
    if (!vc::saveProjectFile(path, data, &error) || !vc::writeExtras(path, extras, &error)) {
        QTextStream(stderr) << path << ": " << error << '\n';
        return 1;
    }
    return 0;
}

// Mean ms of CPU per frame for `frame`, frames 16 ms apart.
template <typename F> double perFrame(F frame)
{
    qint64 ns = 0;
    for (int i = 0; i < Frames; ++i) {
        QThread::msleep(16);
        QElapsedTimer t;
        t.start();
        frame();
        ns += t.nsecsElapsed();
    }
    return ns / 1e6 / Frames;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().value(1) == QLatin1String("--write"))
        return writeShow(app.arguments().value(2));

    // Today's preview at the size the main window gives it.
    vc::PropPreview one;
    one.setPattern(pattern(1), Leds, 4.0, 2);
    QImage surface(520, 260, QImage::Format_ARGB32_Premultiplied);
    one.frameClock().start();
    const double main = perFrame([&] {
        one.step(one.frameClock().restart());
        surface.fill(Qt::transparent);
        QPainter p(&surface);
        one.compose(p, surface.width(), surface.height(), 16);
    });
    out << "main preview 520x260: " << main << " ms a frame\n";

    vc::Show show;
    show.setLeds(Leds);
    show.setFrameRate(1333);
    QVector<vc::PropAssignment> props;
    for (int t = 0; t < 4; ++t) {
        const vc::Show::Id track = t == 0 ? show.tracks().first().id : show.addTrack(t);
        show.appendMode(track, pictureMode(t + 2).encode());
        props.append({t + 1, QStringLiteral("P%1").arg(t + 1), QString()});
    }
    for (int n = 1; n <= 4; ++n) {
        AllPropsView view(&show);
        view.setProps(props.mid(0, n));
        view.setTime(1000);
        view.resize(240 * n, 142);
        QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
        const double ms = perFrame([&] { view.render(&target); });
        out << "all props, " << n << " at 240x142: " << ms << " ms a frame (" << (ms / main)
            << " of the main preview)\n";
    }
    return 0;
}
