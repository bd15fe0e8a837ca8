#include "gui/render/mygl.h"

#include <QPainter>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWindow>

#include <cmath>

namespace {
// How often a preview that cannot be seen looks whether it can again: its
// window may be uncovered or scrolled back without telling the widget.
constexpr int UnseenPollMs = 250;
} // namespace

MyGL::MyGL(QWidget *parent)
    : QOpenGLWidget(parent), m_frameTimer(new QTimer(this)), m_fpsTimer(new QTimer(this))
{
    setMinimumSize(200, 200);
    // A window of its own: each frame then composes only the preview's
    // rectangle, and the rest of the main window is drawn without OpenGL.
    // Without this every frame composes the whole main window, which with
    // software OpenGL costs about as much again as the preview itself.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_NativeWindow);
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapInterval(0);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    setFormat(format);

    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, &MyGL::tick);
    connect(m_fpsTimer, &QTimer::timeout, this, &MyGL::update_fps);
    m_fpsTimer->setInterval(500);
}

void MyGL::setPattern(const QPixmap &pattern, short leds, int fps, double seconds, int loops)
{
    Q_UNUSED(fps); // the preview runs on wall-clock time, not the prop's rate
    m_lastPattern = pattern;
    m_preview.setPattern(pattern, leds, seconds, loops);
    wake();
}

void MyGL::setSweep(int sweep)
{
    m_preview.setSweep(sweep);
    wake();
}

void MyGL::seek(int t, int start, int end)
{
    m_preview.seek(t, start, end);
    wake();
}

void MyGL::clearViews()
{
    m_preview.clearViews();
    wake();
}

bool MyGL::isAnimating() const
{
    return m_frameTimer->isActive() && !m_unseen;
}

int MyGL::frameInterval() const
{
    const QScreen *s = screen();
    qreal rate = s ? s->refreshRate() : 60.0;
    if (rate < 20.0 || rate > 1000.0) // not reported, or not believable
        rate = 60.0;
    return std::max(1, static_cast<int>(std::lround(1000.0 / rate)));
}

void MyGL::update_fps()
{
    m_shownFrame = m_averageFrame;
}

void MyGL::wake()
{
    if (!isVisible())
        return; // showEvent wakes it
    m_preview.frameClock().restart();
    // A still or hidden spell says nothing of the rate to come.
    m_framesSinceWake = 0;
    m_averageFrame = 0;
    m_shownFrame = 0;
    m_unseen = false;
    m_frameTimer->start(frameInterval());
    m_fpsTimer->start();
    update();
}

bool MyGL::canBeSeen() const
{
    if (!isVisible() || visibleRegion().isEmpty())
        return false;
    const QWidget *top = window();
    if (top->windowState() & Qt::WindowMinimized)
        return false;
    const QWindow *handle = top->windowHandle();
    if (!handle || !handle->isExposed())
        return false;
    // The preview's own window is left unexposed when something covers it.
    const QWindow *own = windowHandle();
    return !own || own->isExposed();
}

void MyGL::tick()
{
    if (!canBeSeen()) {
        if (!m_unseen) {
            m_unseen = true;
            m_fpsTimer->stop();
            m_frameTimer->start(UnseenPollMs);
        }
        return;
    }
    if (m_unseen) {
        wake();
        return;
    }
    update();
}

void MyGL::showEvent(QShowEvent *event)
{
    QOpenGLWidget::showEvent(event);
    wake();
}

void MyGL::hideEvent(QHideEvent *event)
{
    m_frameTimer->stop();
    m_fpsTimer->stop();
    QOpenGLWidget::hideEvent(event);
}

void MyGL::initializeGL()
{
    initializeOpenGLFunctions();
}

void MyGL::paintGL()
{
    const qint64 elapsed = m_preview.frameClock().restart();
    m_preview.step(elapsed);
    // A plain clear is far cheaper than painting the whole surface over,
    // above all with software OpenGL.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // The first frame after a wake measures the wait for it, not a frame.
    if (m_framesSinceWake++ > 0) {
        const int ms = static_cast<int>(std::min<qint64>(elapsed, 1000));
        m_averageFrame =
            m_averageFrame == 0 ? std::max(ms, 1) : std::max((ms + m_averageFrame) / 2, 1);
    }
    // Once the still picture is on the screen, further frames would show
    // the same; the next change wakes the preview again. A still picture
    // carries no rate.
    const bool still = m_preview.isStill() && !m_unseen;
    if (still)
        m_shownFrame = 0;
    QPainter p(this);
    m_preview.compose(p, width(), height(), m_shownFrame);
    if (still) {
        m_frameTimer->stop();
        m_fpsTimer->stop();
    }
}
