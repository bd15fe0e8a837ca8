#pragma once

#include "app/gadgets.h"

#include <QColor>
#include <QMainWindow>
#include <QVector>

class QActionGroup;
class QRandomGenerator;

namespace Ui {
class MainWindow;
}

// The editor's single window. Its on_<object>_<signal> slots are wired by
// name from the form and forward to one object per area; the logic of an
// area lives in that object, not here.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui::MainWindow *form() const { return ui; }

    // The editor's colour pair: text / front colour and background colour.
    QColor &colour1() { return m_colour1; }
    QColor &colour2() { return m_colour2; }
    QRandomGenerator &random() { return *m_random; }

    // --- gadget catalogue and prop selection
    const QVector<vc::GadgetInfo> &gadgets() const { return m_gadgets; }
    QActionGroup *gadgetGroup() const { return m_gadgetGroup; }
    void gadgetchange(QAction *action);

    // --- project paths kept for the dialogs
    QString currentFile() const { return m_currentFile; }
    void setCurrentFile(const QString &path) { m_currentFile = path; }
    QString currentPicPath() const { return m_currentPicPath; }
    void setCurrentPicPath(const QString &path) { m_currentPicPath = path; }

    // Opens a dropped file by its extension (projects, songs, pictures).
    void openDroppedFile(const QString &fileName);

public slots:
    // --- prop preview hand-off: every pattern change goes through these
    void glpreview_change(bool flag, const QPixmap &pattern, short leds, int fps, double seconds,
                          int loops);
    // Previews an 80 x 80 square of one colour (black when nothing plays).
    void Oviewer_change(int r, int g, int b);
    // Previews colour 1.
    void Oviewer_change();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    // shell: language and gadgets
    void on_actionChinese_triggered();
    void on_actionEnglish_triggered();
    void on_Leds_valueChanged(int value);
    void on_FPS_V_valueChanged(int value);

    // preview controls
    void on_Oview_slide_valueChanged(int value);
    void on_static_checkbox_toggled(bool checked);

private:
    void buildGadgetMenu();
    void restoreGadget();
    void warnLowResolution();
    bool askSaveBeforeClose();

    Ui::MainWindow *ui = nullptr;
    QColor m_colour1{255, 255, 255};
    QColor m_colour2{0, 0, 0};
    QRandomGenerator *m_random = nullptr;

    QVector<vc::GadgetInfo> m_gadgets;
    QActionGroup *m_languageGroup = nullptr;
    QActionGroup *m_gadgetGroup = nullptr;

    QString m_currentFile;
    QString m_currentPicPath;
};
