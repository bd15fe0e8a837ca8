#include "core/render/effectgenerator.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QVector>

#include <algorithm>
#include <initializer_list>

namespace vc::EffectGenerator {

namespace {

constexpr int W = Width;
constexpr int H = Height;

// What every effect works with: the painter on the canvas, the two
// colours, the step count n and the three hue colours.
struct Canvas
{
    QPainter &p;
    QColor front;
    QColor back;
    int n;
    int scheme;
    int hue[3];

    QColor f(int alpha = 255) const
    {
        return QColor(front.red(), front.green(), front.blue(), alpha);
    }
    QColor b(int alpha = 255) const { return QColor(back.red(), back.green(), back.blue(), alpha); }
    QColor h(int k, int alpha = 255) const { return QColor::fromHsv(hue[k], 255, 255, alpha); }

    // Inclusive on both ends.
    void rect(int x1, int y1, int x2, int y2, const QColor &c)
    {
        p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), c);
    }
    void fullHeight(int x1, int x2, const QColor &c) { rect(x1, 0, x2, H - 1, c); }
    void band(int k, const QColor &c) { rect(0, 50 * k, W - 1, 50 * k + 49, c); }
    void block(int k, const QColor &c) { rect(100 * k, 0, 100 * k + 99, H - 1, c); }
    void hueBands()
    {
        for (int k = 0; k < 3; ++k)
            band(k, h(k));
    }
    void hueBlocks()
    {
        for (int k = 0; k < 3; ++k)
            block(k, h(k));
    }

    // One or more closed polygons filled together with the odd-even rule.
    void fill(std::initializer_list<QPolygon> polys, const QColor &c)
    {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const QPolygon &poly : polys) {
            path.addPolygon(poly);
            path.closeSubpath();
        }
        p.fillPath(path, c);
    }
};

QPolygon poly(std::initializer_list<QPoint> pts)
{
    return QPolygon(QVector<QPoint>(pts));
}

void flash(Canvas &c)
{
    static const int bars[6] = {0, 50, 100, 150, 200, 250};
    if (c.scheme == 2)
        c.hueBlocks();
    for (int k = 0; k < 6; ++k) {
        const int x = bars[k];
        const int t = x + 10;
        for (int i = -1; i < c.n; ++i) {
            // i = -1 is the bar itself, then the tail steps.
            const int alpha = i < 0 ? 255 : fadeAlpha(i, c.n);
            QColor col;
            switch (c.scheme) {
            case 0:
                col = c.f(alpha);
                break;
            case 1:
                col = c.h(k % 3, alpha);
                break;
            default:
                col = c.b(alpha);
                break;
            }
            if (i < 0)
                c.fullHeight(x, x + 9, col);
            else
                c.fullHeight(t + 2 * i, t + 2 * i + 1, col);
        }
    }
}

// Three shapes in F, or in the three hues, or cut out in B from hue bands
// or blocks.
void threeShapes(Canvas &c, const QPolygon (&shapes)[3], bool bands)
{
    if (c.scheme == 2) {
        if (bands)
            c.hueBands();
        else
            c.hueBlocks();
    }
    for (int k = 0; k < 3; ++k) {
        const QColor col = c.scheme == 0 ? c.f() : c.scheme == 1 ? c.h(k) : c.b();
        c.fill({shapes[k]}, col);
    }
}

void windmill(Canvas &c)
{
    const QPolygon shapes[3] = {poly({{0, 0}, {100, 0}, {100, 150}}),
                                poly({{100, 0}, {200, 0}, {200, 150}}),
                                poly({{200, 0}, {300, 0}, {300, 150}})};
    threeShapes(c, shapes, true);
}

void jump(Canvas &c)
{
    if (c.scheme == 0) {
        c.block(0, c.f());
        // The mid colour is computed in single precision and truncated.
        auto mid = [](int a, int b) { return static_cast<int>((float(a) + float(b)) * 0.5f); };
        c.block(1, QColor(mid(c.front.red(), c.back.red()), mid(c.front.green(), c.back.green()),
                          mid(c.front.blue(), c.back.blue())));
    } else {
        c.hueBlocks();
    }
}

void fade(Canvas &c)
{
    jump(c);
    for (int border = 0; border <= 300; border += 100) {
        for (int i = 0; i < c.n; ++i) {
            const QColor col = c.b(fadeAlpha(i, c.n));
            c.fullHeight(border + 3 * i, border + 3 * i + 2, col);
            c.fullHeight(border - 3 * i, border - 3 * i + 2, col);
        }
    }
}

void rainbow(QImage &img)
{
    // The colour depends only on x + y, so each diagonal's colour is
    // computed once.
    QRgb diag[W + H - 1];
    for (int k = 0; k < W + H - 1; ++k) {
        double t = k / 300.0;
        if (t > 1.0)
            t -= 1.0;
        diag[k] = QColor::fromHsvF(t, 1.0, 1.0).rgb();
    }
    for (int y = 0; y < H; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        std::copy(diag + y, diag + y + W, line);
    }
}

void arrow(Canvas &c)
{
    const QPolygon shapes[3] = {poly({{0, 0}, {0, 150}, {75, 75}}),
                                poly({{100, 0}, {100, 150}, {175, 75}}),
                                poly({{200, 0}, {200, 150}, {275, 75}})};
    threeShapes(c, shapes, false);
}

void arrow2(Canvas &c)
{
    QPolygon shapes[3];
    for (int k = 0; k < 3; ++k) {
        const int y = 50 * (k + 1);
        shapes[k] = poly({{0, y}, {300, y}, {225, y - 40}, {150, y}, {75, y - 40}});
    }
    threeShapes(c, shapes, true);
}

void meteor(Canvas &c)
{
    for (int i = 0; i < c.n; ++i) {
        const int o = 5 * i;
        const int alpha = fadeAlpha(i, c.n);
        auto col = [&](int k) { return c.scheme == 0 ? c.f(alpha) : c.h(k, alpha); };
        c.fill({poly({{o, 0}, {o + 10, 0}, {o + 85, 150}, {o + 75, 150}})}, col(0));
        c.fill({poly({{o + 100, 0}, {o + 110, 0}, {o + 185, 150}, {o + 175, 150}})}, col(1));
        c.fill({poly({{o - 100, 0}, {o - 90, 0}, {o - 15, 150}, {o - 25, 150}}),
                poly({{o + 200, 0}, {o + 210, 0}, {o + 285, 150}, {o + 275, 150}})},
               col(2));
    }
}

void meteor2(Canvas &c)
{
    for (int i = 0; i < c.n; ++i) {
        const int d = 3 * i;
        const int e = 6 * i;
        const int alpha = fadeAlpha(i, c.n);
        auto col = [&](int k) { return c.scheme == 0 ? c.f(alpha) : c.h(k, alpha); };
        c.fill({poly({{0, 100 - d}, {100 + e, 150}, {120 + e, 150}, {0, 90 - d}}),
                poly({{100, -d}, {300 + e, 100}, {300 + e, 90}, {120, -d}})},
               col(0));
        c.fill({poly({{0, 50 - d}, {200 + e, 150}, {220 + e, 150}, {0, 40 - d}}),
                poly({{200, -d}, {300 + e, 50}, {300 + e, 40}, {220, -d}})},
               col(1));
        c.fill({poly({{0, -d}, {300 + e, 150}, {320 + e, 150}, {0, -10 - d}}),
                poly({{0, 150 - d}, {e, 150}, {20 + e, 150}, {0, 140 - d}})},
               col(2));
    }
}

void box(Canvas &c)
{
    const int cw = 300 / c.n;
    const int ch = 150 / c.n;
    const int cells = c.n + 1;
    auto cell = [&](int col, int row, const QColor &colour) {
        c.rect(col * cw, row * ch, col * cw + cw - 1, row * ch + ch - 1, colour);
    };
    if (c.scheme == 0) {
        for (int a = -1; a < cells; a += 2) {
            for (int j = -1; j < cells; j += 2) {
                cell(a, j, c.f());
                cell(a + 1, j + 1, c.f());
            }
        }
    } else {
        for (int a = -1; a < cells; a += 3) {
            for (int j = -1; j < cells; j += 3) {
                cell(a, j, c.h(0));
                cell(a + 1, j + 1, c.h(1));
                cell(a + 2, j + 2, c.h(2));
            }
        }
    }
}

// The statics draw a figure in F, or in white which the hue bands then
// colour by multiplication (and B is tinted by them).
void statics(Canvas &c, int effect, int width)
{
    const QColor ink = c.scheme == 0 ? c.f() : QColor(255, 255, 255);
    if (effect == Static1) {
        c.fill({poly({{0, 0}, {300, 0}, {0, 150}})}, ink);
    } else {
        QPen pen; // solid, square cap, bevel join
        pen.setColor(ink);
        pen.setWidth(4 * width);
        c.p.setPen(pen);
        if (effect == Static2) {
            c.p.drawLine(0, 0, 300, 150);
        } else if (effect == Static3) {
            c.p.drawLine(0, 0, 150, 150);
            c.p.drawLine(150, 150, 300, 0);
        } else {
            c.p.drawLine(0, 0, 300, 150);
            c.p.drawLine(0, 150, 300, 0);
        }
        c.p.setPen(Qt::NoPen);
    }
    if (c.scheme != 0) {
        c.p.setCompositionMode(QPainter::CompositionMode_Multiply);
        c.hueBands();
        c.p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

} // namespace

void hues(const QColor &front, int &h1, int &h2, int &h3)
{
    // The product is formed in double precision and narrowed to single
    // precision before truncation; stored patterns depend on this.
    auto hue = [](int v) { return static_cast<int>(static_cast<float>((v % 256) * 1.4)); };
    h1 = hue(front.red());
    h2 = hue(front.green() + 85);
    h3 = hue(front.blue() + 170);
}

QImage draw(const EffectSettings &s)
{
    QImage img(W, H, QImage::Format_RGB32);
    const QColor back(s.back.red(), s.back.green(), s.back.blue());
    img.fill(back);

    const int width = std::clamp(s.width, 1, 10);
    const int scheme = std::clamp(s.scheme, 0, 2);

    if (s.effect == Rainbow) {
        rainbow(img);
        return img;
    }
    if (s.effect < 0 || s.effect >= Count)
        return img;

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    Canvas c{p, s.front, s.back, 2 * width, scheme, {0, 0, 0}};
    if (scheme != 0)
        hues(s.front, c.hue[0], c.hue[1], c.hue[2]);

    switch (s.effect) {
    case Flash:
        flash(c);
        break;
    case Windmill:
        windmill(c);
        break;
    case Jump:
        jump(c);
        break;
    case Fade:
        fade(c);
        break;
    case Arrow:
        arrow(c);
        break;
    case Arrow2:
        arrow2(c);
        break;
    case Meteor:
        meteor(c);
        break;
    case Meteor2:
        meteor2(c);
        break;
    case Box:
        box(c);
        break;
    default:
        statics(c, s.effect, width);
        break;
    }
    p.end();
    return img;
}

QImage generate(const EffectSettings &s)
{
    return draw(s).mirrored(!s.revH, s.revV);
}

QString iconName(int effect)
{
    static const char *const names[Count] = {
        "flash.bmp",      "wipe.bmp",       "jump.bmp",       "fade.bmp",      "rainbow.bmp",
        "arrow.bmp",      "arrow2.bmp",     "line2.bmp",      "line1.bmp",     "brick.bmp",
        "static (1).jpg", "static (2).jpg", "static (3).jpg", "static (4).jpg"};
    if (effect < 0 || effect >= Count)
        return QString();
    return QStringLiteral(":/icon/") + QLatin1String(names[effect]);
}

} // namespace vc::EffectGenerator
