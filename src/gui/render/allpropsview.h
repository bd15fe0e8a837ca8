#pragma once

#include "core/model/show.h"
#include "core/project/projectextras.h"
#include "core/render/proppreview.h"

#include <QImage>
#include <QVector>
#include <QWidget>

#include <memory>

class QTimer;

// The props of a troupe side by side: one small spinning-prop preview per
// assigned track, labelled with its performer, each playing the mode of
// its track under the play indicator. All of them are stepped and drawn by
// one frame timer in one paint, paced like the main preview, and the timer
// stands still while the view is hidden or nothing on it moves.
class AllPropsView : public QWidget
{
    Q_OBJECT

public:
    explicit AllPropsView(const vc::Show *show, QWidget *parent = nullptr);
    ~AllPropsView() override;

    // The props shown: those whose track exists, in track order.
    void setProps(const QVector<vc::PropAssignment> &props);
    // The play indicator is at ms.
    void setTime(int ms);

    int propCount() const { return m_props.size(); }
    const vc::PropAssignment &prop(int i) const { return m_props.at(i)->assignment; }
    const vc::PropPreview &preview(int i) const { return m_props.at(i)->preview; }
    // The show's mode each prop plays now (0: none).
    vc::Show::Id playing(int i) const { return m_props.at(i)->mode; }
    bool isAnimating() const;

    QSize sizeHint() const override;

signals:
    // The user closed the view's window.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct Prop
    {
        vc::PropAssignment assignment;
        vc::PropPreview preview;
        vc::Show::Id mode = 0;
        QImage surface; // the cell composed with transparency, then drawn
    };

    void follow(Prop &prop, bool jumped);
    void refollow();
    void wake();
    int frameInterval() const;

    const vc::Show *m_show;
    QVector<std::shared_ptr<Prop>> m_props;
    QVector<vc::PropAssignment> m_assigned;
    int m_time = 0;
    QTimer *m_frameTimer;
};
