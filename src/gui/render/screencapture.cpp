#include "gui/render/screencapture.h"

#include "core/render/capturepicture.h"
#include "gui/common/prompter.h"

#include <QButtonGroup>
#include <QDir>
#include <QDockWidget>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QWindow>

namespace vc {

namespace {

QPushButton *toolButton(const char *name, const char *icon, bool checkable, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(QIcon(QString::fromLatin1(icon)));
    b->setFixedSize(30, 30);
    b->setCheckable(checkable);
    return b;
}

QPen strokePen(const QColor &colour, int width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// The whole of one screen at its device pixel ratio.
QImage grabScreen(QScreen *screen)
{
    if (!screen)
        return {};
    const QRect g = screen->geometry();
    // On X11 the desktop window spans every screen, so the offset picks this
    // screen out of it; elsewhere the desktop window is the screen itself.
    const bool wholeDesktop = QGuiApplication::platformName() == QLatin1String("xcb");
    const QPixmap shot = wholeDesktop ? screen->grabWindow(0, g.x(), g.y(), g.width(), g.height())
                                      : screen->grabWindow(0);
    QImage image = shot.toImage();
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    // A grab that comes back at device pixels without saying so.
    const qreal dpr = screen->devicePixelRatio();
    if (shot.devicePixelRatio() == 1.0 && dpr > 1.0 && image.width() > g.width())
        image.setDevicePixelRatio(dpr);
    else
        image.setDevicePixelRatio(shot.devicePixelRatio());
    return image;
}

} // namespace

ScreenCapture::ScreenCapture(QScreen *screen, QWidget *parent) : QDialog(parent), m_screen(screen)
{
    setObjectName(QStringLiteral("ScreenCapture"));
    // Closing the dialog never ends the program, even while the editor
    // stays hidden.
    setAttribute(Qt::WA_QuitOnClose, false);
    setMouseTracking(true);
    buildToolWindow();

    if (m_screen) {
        create();
        if (QWindow *w = windowHandle())
            w->setScreen(m_screen);
        setGeometry(m_screen->geometry());
    }
    setWindowState(windowState() | Qt::WindowFullScreen);
    shoot();

    // The drawing layer: the screenshot's size and pixel ratio, transparent.
    if (hasScreenshot()) {
        m_layer = QImage(m_clean.size(), QImage::Format_ARGB32_Premultiplied);
        m_layer.setDevicePixelRatio(m_clean.devicePixelRatio());
        m_layer.fill(Qt::transparent);
    }
    updateCursor();
}

void ScreenCapture::buildToolWindow()
{
    m_dock = new QDockWidget(this);
    m_dock->setObjectName(QStringLiteral("dockWidget"));
    m_dock->setMaximumSize(999, 98);
    m_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                        QDockWidget::DockWidgetFloatable);
    auto *tools = new QWidget(m_dock);
    auto *grid = new QGridLayout(tools);

    m_capture = toolButton("cap_BTN", ":/icon/capture.png", true, tools);
    m_pen = toolButton("pen_BTN", ":/icon/pen.png", true, tools);
    m_eraser = toolButton("era_BTN", ":/icon/eraser.png", true, tools);
    m_clear = toolButton("clr_BTN", ":/icon/delete.png", false, tools);
    m_colour = new QPushButton(tools);
    m_colour->setObjectName(QStringLiteral("color_choose"));
    m_colour->setFixedSize(30, 30);
    m_colour->setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    m_sizeSlide = new QSlider(Qt::Horizontal, tools);
    m_sizeSlide->setObjectName(QStringLiteral("size_slide"));
    m_sizeSlide->setRange(3, 20);
    m_sizeSlide->setPageStep(2);
    m_sizeSlide->setValue(5);
    m_penSize = new QSpinBox(tools);
    m_penSize->setObjectName(QStringLiteral("PenSize"));
    m_penSize->setRange(3, 20);
    m_penSize->setValue(5);
    m_penSize->setButtonSymbols(QAbstractSpinBox::NoButtons);

    auto *modes = new QButtonGroup(this);
    modes->setExclusive(true);
    for (QPushButton *b : {m_capture, m_pen, m_eraser})
        modes->addButton(b);
    m_capture->setChecked(true);

    grid->addWidget(m_capture, 0, 0);
    grid->addWidget(m_pen, 0, 1);
    grid->addWidget(m_eraser, 0, 2);
    grid->addWidget(m_clear, 0, 3);
    grid->addWidget(m_colour, 0, 4);
    grid->addWidget(m_sizeSlide, 0, 5);
    grid->addWidget(m_penSize, 0, 6);
    m_dock->setWidget(tools);
    m_dock->setFloating(true);

    connect(m_capture, &QAbstractButton::toggled, this, &ScreenCapture::on_cap_BTN_toggled);
    connect(m_pen, &QAbstractButton::toggled, this, &ScreenCapture::on_pen_BTN_toggled);
    connect(m_eraser, &QAbstractButton::toggled, this, &ScreenCapture::on_era_BTN_toggled);
    connect(m_sizeSlide, &QSlider::valueChanged, this, &ScreenCapture::on_size_slide_valueChanged);
    connect(m_penSize, qOverload<int>(&QSpinBox::valueChanged), this,
            &ScreenCapture::on_PenSize_valueChanged);
    connect(m_colour, &QAbstractButton::clicked, this, &ScreenCapture::on_color_choose_clicked);
    connect(m_clear, &QAbstractButton::clicked, this, &ScreenCapture::on_clr_BTN_clicked);
    // Closing the tool window closes the dialog (it is hidden with the
    // dialog too, which must not close it twice).
    connect(m_dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible && isVisible() && !m_dock->isVisible())
            close();
    });
}

void ScreenCapture::shoot()
{
    m_clean = grabScreen(m_screen);
    m_veiled = m_clean.isNull() ? QImage() : veiledScreenshot(m_clean);
    update();
}

int ScreenCapture::run()
{
    if (!hasScreenshot()) {
        // Some sessions (Wayland ones among them) refuse screen grabs.
        prompter().warning(parentWidget(), QString(), tr("無法擷取螢幕畫面，無法截圖"));
        return QDialog::Rejected;
    }
    return prompter().exec(this);
}

void ScreenCapture::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A floating tool window is a window of its own: it shows with the
    // dialog, at the top of the captured screen, out of the way.
    if (!m_dockPlaced) {
        m_dockPlaced = true;
        m_dock->adjustSize();
        const QRect screen = m_screen ? m_screen->geometry() : geometry();
        m_dock->move(screen.center().x() - m_dock->width() / 2, screen.top() + 20);
    }
    if (!m_dock->isVisible())
        m_dock->show();
}

ScreenCapture::Tool ScreenCapture::tool() const
{
    if (m_eraser->isChecked())
        return Tool::Eraser;
    if (m_pen->isChecked())
        return Tool::Pen;
    return Tool::Capture;
}

void ScreenCapture::updateCursor()
{
    if (tool() == Tool::Capture) {
        setCursor(Qt::CrossCursor);
        return;
    }
    const int s = m_penSize->value();
    QImage shape(s + 1, s + 1, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        if (tool() == Tool::Eraser) {
            p.drawEllipse(QRect(0, 0, s, s));
        } else {
            p.setPen(strokePen(m_penColour, s));
            p.drawPoint(s / 2, s / 2);
        }
    }
    setCursor(QCursor(QPixmap::fromImage(shape), s / 2, s / 2));
}

void ScreenCapture::on_cap_BTN_toggled(bool checked)
{
    if (checked)
        updateCursor();
}

void ScreenCapture::on_pen_BTN_toggled(bool checked)
{
    // Unchecked for the capture tool, whose own toggle sets its cursor.
    if (!checked && !m_eraser->isChecked())
        return;
    updateCursor();
}

void ScreenCapture::on_era_BTN_toggled(bool checked)
{
    Q_UNUSED(checked);
    updateCursor();
}

void ScreenCapture::on_size_slide_valueChanged(int value)
{
    m_penSize->setValue(value);
    updateCursor();
}

void ScreenCapture::on_PenSize_valueChanged(int arg1)
{
    m_sizeSlide->setValue(arg1);
    updateCursor();
}

void ScreenCapture::on_color_choose_clicked()
{
    const QColor chosen = prompter().color(m_penColour, this, tr("選擇顏色"));
    if (!chosen.isValid())
        return;
    m_penColour = chosen;
    m_colour->setStyleSheet(QStringLiteral("background-color: rgb(%r, %g, %b);")
                                .replace(QLatin1String("%r"), QString::number(chosen.red()))
                                .replace(QLatin1String("%g"), QString::number(chosen.green()))
                                .replace(QLatin1String("%b"), QString::number(chosen.blue())));
    updateCursor();
}

void ScreenCapture::on_clr_BTN_clicked()
{
    m_layer.fill(Qt::transparent);
    update();
}

void ScreenCapture::stroke(const QPoint &from, const QPoint &to)
{
    if (m_layer.isNull())
        return;
    QPainter p(&m_layer);
    // The eraser wipes the layer back to transparent; the screenshot under
    // it is never touched.
    p.setCompositionMode(tool() == Tool::Eraser ? QPainter::CompositionMode_Clear
                                                : QPainter::CompositionMode_SourceOver);
    p.setPen(strokePen(m_penColour, m_penSize->value()));
    if (from == to)
        p.drawPoint(from);
    else
        p.drawLine(from, to);
    update();
}

void ScreenCapture::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    m_hovering = false;
    m_lastPoint = event->pos();
    if (tool() != Tool::Capture)
        stroke(m_lastPoint, m_lastPoint);
}

void ScreenCapture::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->pos();
    m_hover = pos;
    m_hovering = !m_pressed;
    if (m_pressed && tool() == Tool::Capture) {
        m_selection = QRect(m_lastPoint, pos).normalized();
        update();
    } else if (m_pressed) {
        stroke(m_lastPoint, pos);
        m_lastPoint = pos;
    } else {
        update();
    }
}

void ScreenCapture::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    m_pressed = false;
    if (tool() != Tool::Capture)
        return;
    if (save())
        accept();
}

bool ScreenCapture::save()
{
    // The proposed folder is made beforehand, so that the dialog opens in it.
    const QString folder = QDir::homePath() + QStringLiteral("/pictures");
    QDir().mkpath(folder);
    const QString path = prompter().saveFileName(
        this, tr("儲存圖片"), folder + QStringLiteral("/capture.png"), QStringLiteral("*.png"));
    if (path.isEmpty())
        return false;
    if (!saveCapturedPicture(capturedPicture(m_clean, m_layer, m_selection), path)) {
        // Nothing was written: the editor gets no path, and the user may
        // choose another place.
        prompter().warning(this, QString(),
                           tr("無法儲存圖片：%1").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    emit callback(path);
    return true;
}

void ScreenCapture::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event);
    QPainter p(this);
    if (m_veiled.isNull()) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    const QRect whole(QPoint(0, 0), m_veiled.size() / m_veiled.devicePixelRatio());
    p.drawImage(whole, m_veiled);
    if (!m_selection.isNull()) {
        // The selection shows unveiled, outlined in red.
        const qreal dpr = m_clean.devicePixelRatio();
        const QRectF source(m_selection.x() * dpr, m_selection.y() * dpr, m_selection.width() * dpr,
                            m_selection.height() * dpr);
        p.drawImage(QRectF(m_selection), m_clean, source);
        p.setPen(QPen(Qt::red));
        p.drawRect(m_selection);
    }
    p.drawImage(whole, m_layer);
    if (m_hovering && tool() != Tool::Capture) {
        // A preview of the brush under the cursor.
        p.setPen(strokePen(m_penColour, m_penSize->value()));
        p.drawPoint(m_hover);
    }
}

} // namespace vc
