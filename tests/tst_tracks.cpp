#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/dragplayer.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

using vc::TracksController;

namespace {

QByteArray record(int start, int end, QColor colour = QColor(255, 0, 128), int speed = 0,
                  QSize thumb = QSize(85, 85))
{
    vc::ModeRecord r = vc::test::colourMode(start, end, colour, thumb);
    r.loops = 3;
    r.speed = speed;
    return r.encode();
}

// "0-1000 2000-3000": the items of a track in list order
QString times(const Timeline *t)
{
    QStringList out;
    for (const TimelineItem *i : t->items())
        out << QStringLiteral("%1-%2").arg(i->start()).arg(i->end());
    return out.join(QLatin1Char(' '));
}

QString numbers(TracksController *c)
{
    QStringList out;
    for (Timeline *t : c->tracksByNumber())
        out << t->rowLabel()->text();
    return out.join(QLatin1Char(' '));
}

// No item shows on a track without being in its list.
bool visibleItemsAreListed(const Timeline *t)
{
    const auto children = t->findChildren<TimelineItem *>(QString(), Qt::FindDirectChildrenOnly);
    for (TimelineItem *i : children) {
        if (!i->isHidden() && !t->items().contains(i))
            return false;
    }
    return true;
}

// The item showing a mode on a track, or null.
TimelineItem *itemOf(const Timeline *t, quintptr mode)
{
    for (TimelineItem *item : t->items()) {
        if (item->modeId() == mode)
            return item;
    }
    return nullptr;
}

struct Window
{
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    Ui::MainWindow *ui() { return w.form(); }
    TracksController *tracks() { return w.tracks(); }
    Timeline *current() { return tracks()->currentTrack(); }

    // What the editor does on Insert: a new item on the current track,
    // placed so that it wins, then the counters.
    TimelineItem *insert(int start, int end, QColor colour = QColor(255, 0, 128))
    {
        auto *item = new TimelineItem(record(start, end, colour), current());
        current()->addTimelineItem(item);
        current()->on_itemDragEnd(QByteArray(), item);
        tracks()->refreshCounters();
        return item;
    }
    void setIndicator(int ms)
    {
        ui()->timeline_headers->indicator()->setTime(QTime::fromMSecsSinceStartOfDay(ms));
    }
};

} // namespace

class TestTracks : public QObject
{
    Q_OBJECT

private slots:
    void init() { vc::test::clearSettings(); }

    void firstTrack();
    void placementOnATrack_data();
    void placementOnATrack();
    void itemGeometryFollowsTimes();
    void setTimesFollowsSpeed();
    void brokenRecordGivesAnItem();
    void trackNumbering();
    void moveTracks();
    void removeTrack();
    void duplicateTrack();
    void titleMark_data();
    void titleMark();
    void selection();
    void undoRedoAcrossInserts();
    void deleteKeyIsUndoneByOneUndo();
    void cutIsUndoneByOneUndo();
    void undoRestoresMovedTimes();
    void undoLimit();
    void pasteAtIndicator();
    void pasteIgnoresForeignClipboard_data();
    void pasteIgnoresForeignClipboard();
    void insertPreview();
    void removedModesComeBackWhileNamed();
    void clearProject();
    void pressesAndMenus();
    void viewsFollowRandomEdits();
};

void TestTracks::firstTrack()
{
    Window x;
    QCOMPARE(x.tracks()->tracks().size(), 1);
    QVERIFY(x.current());
    QVERIFY(x.current()->isActive());
    QCOMPARE(numbers(x.tracks()), QStringLiteral("1"));
    QCOMPARE(x.tracks()->history().index(), 0);
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：0"));
    QCOMPARE(x.w.windowTitle(), QStringLiteral("VantorCreator"));
    QCOMPARE(x.current()->height(), 55);
    QCOMPARE(x.current()->rowLabel()->size(), QSize(20, 55));
    QVERIFY(x.current()->rowLabel()->styleSheet().contains(QLatin1String("rgba(100,100,255,70)")));
}

void TestTracks::placementOnATrack_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("after");

    QTest::newRow("trim") << "0-2000 2500-4000" << 1000 << 3000 << "0-1000 1000-3000 3000-4000";
    QTest::newRow("split") << "0-5000" << 1000 << 2000 << "0-1000 1000-2000 2000-5000";
    QTest::newRow("cover") << "1000-2000 3000-4000" << 0 << 5000 << "0-5000";
    QTest::newRow("same start, shorter") << "1000-3000" << 1000 << 2000 << "1000-2000 2000-3000";
    QTest::newRow("same start, equal") << "1000-3000" << 1000 << 3000 << "1000-3000";
}

void TestTracks::placementOnATrack()
{
    QFETCH(QString, before);
    QFETCH(int, start);
    QFETCH(int, end);
    Window x;
    Timeline *t = x.current();
    for (const QString &span : before.split(QLatin1Char(' '))) {
        auto *item = new TimelineItem(
            record(span.section('-', 0, 0).toInt(), span.section('-', 1).toInt(), Qt::blue), t);
        t->addTimelineItem(item);
    }
    TimelineItem *placed = x.insert(start, end);
    QTEST(times(t), "after");
    QVERIFY(t->items().contains(placed));
    QVERIFY(visibleItemsAreListed(t));
    for (const TimelineItem *i : t->items()) {
        QVERIFY(!i->isHidden());
        QCOMPARE(i->track(), t);
        // every other item keeps its own record: a split half is a copy
        if (i != placed)
            QCOMPARE(i->params(), vc::colourParams(Qt::blue));
    }
    QCOMPARE(x.ui()->Saved_status->text(),
             QStringLiteral("圖樣數：") + QString::number(t->items().size()));
}

void TestTracks::itemGeometryFollowsTimes()
{
    Window x;
    TimelineItem *i = x.insert(1000, 3000);
    QCOMPARE(i->geometry(), QRect(100, 5, 200, 45));
    x.w.timeAxis()->setMsPerPixel(2.5f);
    emit x.current()->timelineMultiUpdated();
    QCOMPARE(i->geometry(), QRect(400, 5, 800, 45));
    QCOMPARE(i->minimumWidth(), 8);
    QCOMPARE(i->toolTip(),
             QStringLiteral("長度: 00:02.000\n開始時間: 00:01.000\n結束時間: 00:03.000"));
    QCOMPARE(i->id(), QStringLiteral("0x%1").arg(quintptr(i), 16, 16, QLatin1Char('0')));
}

void TestTracks::setTimesFollowsSpeed()
{
    Window x;
    x.w.document()->setLeds(80);
    x.w.document()->setFrameRate(2100.0f);
    auto *i = new TimelineItem(record(0, 1000, Qt::red, 10, QSize(170, 85)), x.current());
    i->setTimes(0, 4000);
    QCOMPARE(i->loops(), 38);
    // the record follows the fields
    const vc::ModeRecord r = vc::ModeRecord::decode(i->data());
    QCOMPARE(r.loops, 38);
    QCOMPARE(r.end, 4000);

    auto *fixed = new TimelineItem(record(0, 1000), x.current());
    fixed->setTimes(0, 4000);
    QCOMPARE(fixed->loops(), 3);
}

void TestTracks::brokenRecordGivesAnItem()
{
    Window x;
    const QByteArray full = record(1000, 2000);
    for (int cut : {0, 3, 40, full.size() - 10}) {
        auto *i = new TimelineItem(full.left(cut), x.current());
        QVERIFY(!i->isComplete());
        x.current()->addTimelineItem(i);
    }
    x.current()->sortItems();
    x.tracks()->refreshCounters();
    QVERIFY(visibleItemsAreListed(x.current()));
}

void TestTracks::trackNumbering()
{
    Window x;
    Timeline *one = x.current();
    x.ui()->timeline_add->click();
    Timeline *two = x.current();
    QCOMPARE(numbers(x.tracks()), QStringLiteral("1 2"));
    QCOMPARE(x.tracks()->trackNumber(two), 2); // above the first
    // make track 1 current and add: the new one goes between them
    x.w.on_timeline_Pressed(one, true);
    QVERIFY(one->isActive());
    QVERIFY(!two->isActive());
    QVERIFY(two->rowLabel()->styleSheet().contains(QLatin1String("rgba(255,255,255,20)")));
    x.ui()->timeline_add->click();
    Timeline *three = x.current();
    QCOMPARE(x.tracks()->trackNumber(one), 1);
    QCOMPARE(x.tracks()->trackNumber(three), 2);
    QCOMPARE(x.tracks()->trackNumber(two), 3);
    QCOMPARE(numbers(x.tracks()), QStringLiteral("1 2 3"));
    QCOMPARE(x.tracks()->tracksByNumber(), (QList<Timeline *>{one, three, two}));
    // the row labels stand level with their tracks
    QCOMPARE(x.ui()->timeline_rowheader_layout->indexOf(three->rowLabel()),
             x.ui()->timeline_layout->indexOf(three));
}

void TestTracks::moveTracks()
{
    Window x;
    Timeline *one = x.current();
    x.ui()->timeline_add->click();
    Timeline *two = x.current();
    const QList<Timeline *> listOrder = x.tracks()->tracks();

    // the top track cannot go up
    x.ui()->timeline_up->click();
    QCOMPARE(x.tracks()->tracksByNumber(), (QList<Timeline *>{one, two}));
    x.ui()->timeline_down->click();
    QCOMPARE(x.tracks()->tracksByNumber(), (QList<Timeline *>{two, one}));
    QCOMPARE(x.tracks()->trackNumber(two), 1);
    QCOMPARE(two->rowLabel()->text(), QStringLiteral("1"));
    QCOMPARE(one->rowLabel()->text(), QStringLiteral("2"));
    QCOMPARE(x.ui()->timeline_rowheader_layout->indexOf(two->rowLabel()),
             x.ui()->timeline_layout->indexOf(two));
    // the bottom track cannot go down; the lookup list never changes
    x.ui()->timeline_down->click();
    QCOMPARE(x.tracks()->tracksByNumber(), (QList<Timeline *>{two, one}));
    QCOMPARE(x.tracks()->tracks(), listOrder);
    x.ui()->timeline_up->click();
    QCOMPARE(x.tracks()->tracksByNumber(), (QList<Timeline *>{one, two}));
}

void TestTracks::removeTrack()
{
    Window x;
    Timeline *one = x.current();
    // a single track is neither asked about nor removed
    x.ui()->timeline_remove->click();
    QCOMPARE(x.prompter.calls.size(), 0);
    QCOMPARE(x.tracks()->tracks().size(), 1);

    x.ui()->timeline_add->click();
    Timeline *two = x.current();
    x.ui()->timeline_add->click();
    Timeline *three = x.current(); // above two
    x.ui()->timeline_up->click();  // no-op: top
    x.w.on_timeline_Pressed(two, true);

    x.prompter.buttons.enqueue(QMessageBox::No);
    x.ui()->timeline_remove->click();
    QCOMPARE(x.tracks()->tracks().size(), 3);
    QCOMPARE(x.prompter.calls.last().title, QStringLiteral("確認移除軌道？"));
    QCOMPARE(x.prompter.calls.last().text,
             QStringLiteral("<font color='white'>此動作無法復原</font>"));
    QCOMPARE(x.prompter.calls.last().defaultButton, QMessageBox::No);

    // removing the current track makes the first of the list current; an
    // item of it open in the editor is closed
    x.w.on_timeline_Pressed(three, true);
    TimelineItem *onThree = x.insert(0, 1000);
    emit onThree->itemClicked(onThree, false);
    x.prompter.buttons.enqueue(QMessageBox::Yes);
    x.ui()->timeline_remove->click();
    QCOMPARE(x.tracks()->tracks(), (QList<Timeline *>{one, two}));
    QCOMPARE(x.current(), one);
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：0"));
    QVERIFY(!x.tracks()->selectedItem());
    QCOMPARE(x.ui()->Add_Button->text(), QStringLiteral("插入圖樣"));
    QVERIFY(!x.ui()->cancelSelect->isEnabled());
    // removing a track is final: undo does not bring it back
    x.ui()->actionUndo->trigger();
    QCOMPARE(x.tracks()->tracks(), (QList<Timeline *>{one, two}));
    QVERIFY(three->isHidden());
    QVERIFY(three->rowLabel()->isHidden());
    QCOMPARE(numbers(x.tracks()), QStringLiteral("1 2"));
    // the first of the list also once it was moved up from the bottom
    x.w.on_timeline_Pressed(one, true);
    x.ui()->timeline_up->click();
    x.ui()->timeline_add->click();
    x.prompter.buttons.enqueue(QMessageBox::Yes);
    x.ui()->timeline_remove->click();
    QCOMPARE(x.current(), one);
}

void TestTracks::duplicateTrack()
{
    Window x;
    Timeline *one = x.current();
    x.insert(0, 1000, Qt::red);
    x.insert(1000, 2500, Qt::green);
    const int before = x.tracks()->history().index();
    emit one->tlDuplicated_clicked(one);
    Timeline *copy = x.current();
    QVERIFY(copy != one);
    QCOMPARE(x.tracks()->trackNumber(copy), 2);
    QCOMPARE(times(copy), times(one));
    for (int i = 0; i < copy->items().size(); ++i) {
        QCOMPARE(copy->items().at(i)->data(), one->items().at(i)->data());
        QVERIFY(copy->items().at(i) != one->items().at(i));
    }
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：4"));
    QCOMPARE(x.tracks()->history().index(), before + 1);
}

void TestTracks::titleMark_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("marked");
    QTest::newRow("no file: the plain name") << QString() << "VantorCreator"
                                             << "VantorCreator";
    QTest::newRow("loaded file") << "/x/show.vtc3"
                                 << "VantorCreator - show.vtc3  "
                                 << "VantorCreator - show.vtc3 *";
}

void TestTracks::titleMark()
{
    Window x;
    QFETCH(QString, path);
    QFETCH(QString, title);
    x.tracks()->project()->setPath(path);
    x.tracks()->setModified(false);
    x.tracks()->refreshCounters(); // nothing changed: no mark
    QCOMPARE(x.w.windowTitle(), title);
    QVERIFY(!x.tracks()->isModified());
    x.insert(0, 1000);
    QTEST(x.w.windowTitle(), "marked");
    QVERIFY(x.tracks()->isModified());
}

void TestTracks::selection()
{
    Window x;
    TimelineItem *a = x.insert(0, 1000);
    TimelineItem *b = x.insert(1000, 2000);
    emit a->itemClicked(a, false);
    QCOMPARE(x.tracks()->selectedItem(), a);
    QCOMPARE(x.tracks()->previewedItem(), a);
    QVERIFY(a->selected());
    QCOMPARE(x.ui()->Add_Button->text(), QStringLiteral("套用編輯"));
    QVERIFY(x.ui()->cancelSelect->isEnabled());
    emit b->itemClicked(b, false);
    QVERIFY(!a->selected());
    QVERIFY(b->selected());
    x.ui()->cancelSelect->click();
    QVERIFY(!b->selected());
    QVERIFY(!x.tracks()->selectedItem());
    QCOMPARE(x.ui()->Add_Button->text(), QStringLiteral("插入圖樣"));
    QVERIFY(!x.ui()->cancelSelect->isEnabled());
    // a press on a track clears the selection
    emit b->itemClicked(b, false);
    x.w.on_timeline_Pressed(x.current(), true);
    QVERIFY(!x.tracks()->selectedItem());
    // the item under a time on the current track
    QCOMPARE(x.tracks()->itemAt(999), a);
    QCOMPARE(x.tracks()->itemAt(1000), b);
    QCOMPARE(x.tracks()->itemAt(2000), nullptr);
}

void TestTracks::undoRedoAcrossInserts()
{
    Window x;
    Timeline *t = x.current();
    x.insert(0, 1000);
    x.insert(1000, 2000);
    x.insert(2000, 3000);
    QCOMPARE(times(t), QStringLiteral("0-1000 1000-2000 2000-3000"));
    x.ui()->actionUndo->trigger();
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000"));
    QVERIFY(visibleItemsAreListed(t));
    // the mode count follows undo and redo
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：1"));
    x.ui()->actionRedo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000 1000-2000"));
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：2"));
    x.insert(5000, 6000);
    x.ui()->actionRedo->trigger(); // the redo step is gone
    QCOMPARE(times(t), QStringLiteral("0-1000 1000-2000 5000-6000"));
    // back to the empty start and no further
    for (int i = 0; i < 5; ++i)
        x.ui()->actionUndo->trigger();
    QCOMPARE(times(t), QString());
    QCOMPARE(x.tracks()->history().index(), 0);
}

void TestTracks::deleteKeyIsUndoneByOneUndo()
{
    Window x;
    Timeline *t = x.current();
    x.insert(0, 1000);
    TimelineItem *b = x.insert(1000, 2000);
    const quintptr mode = b->modeId();
    emit b->itemClicked(b, false);
    QTest::keyClick(&x.w, Qt::Key_Delete);
    QCOMPARE(times(t), QStringLiteral("0-1000"));
    QVERIFY(b->isHidden());
    QVERIFY(!x.tracks()->selectedItem());
    QVERIFY(!x.ui()->cancelSelect->isEnabled());
    QCOMPARE(x.ui()->Add_Button->text(), QStringLiteral("插入圖樣"));
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：1"));
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000 1000-2000"));
    QVERIFY(itemOf(t, mode)); // the same mode is back
    x.ui()->actionRedo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000"));
    // Delete with nothing selected does nothing
    const int index = x.tracks()->history().index();
    QTest::keyClick(&x.w, Qt::Key_Delete);
    QCOMPARE(x.tracks()->history().index(), index);
}

void TestTracks::cutIsUndoneByOneUndo()
{
    Window x;
    Timeline *t = x.current();
    TimelineItem *a = x.insert(0, 1000);
    const quintptr mode = a->modeId();
    emit a->itemClicked(a, false);
    a->on_itemCut_clicked();
    QCOMPARE(QApplication::clipboard()->mimeData()->data(TimelineItem::MimeType), a->data());
    QCOMPARE(times(t), QString());
    QVERIFY(!x.tracks()->selectedItem());
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：0"));
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000"));
    QVERIFY(itemOf(t, mode));
}

void TestTracks::undoRestoresMovedTimes()
{
    Window x;
    Timeline *t = x.current();
    TimelineItem *a = x.insert(0, 1000);
    TimelineItem *b = x.insert(3000, 4000);
    // a drag of b over a: new times, then placement and the drag's end
    const QByteArray orig = b->data();
    b->setTimes(500, 1500);
    emit b->dragEnd(orig, b, t);
    QCOMPARE(times(t), QStringLiteral("0-500 500-1500"));
    QCOMPARE(x.tracks()->selectedItem(), b);
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-1000 3000-4000"));
    QCOMPARE(t->items(), (QList<TimelineItem *>{a, b}));
    QCOMPARE(a->geometry().width(), 100);
    QVERIFY(!x.tracks()->selectedItem()); // undo clears the selection
    x.ui()->actionRedo->trigger();
    QCOMPARE(times(t), QStringLiteral("0-500 500-1500"));
}

void TestTracks::undoLimit()
{
    Window x;
    TimelineItem *a = x.insert(0, 1000);
    for (int i = 1; i <= 150; ++i) {
        const QByteArray orig = a->data();
        a->setTimes(0, 1000 + i);
        emit a->dragEnd(orig, a, x.current());
    }
    int undos = 0;
    while (x.tracks()->history().canUndo()) {
        x.ui()->actionUndo->trigger();
        ++undos;
    }
    QCOMPARE(undos, 100);
    QCOMPARE(a->end(), 1050);
}

void TestTracks::pasteAtIndicator()
{
    Window x;
    x.ui()->timeline_add->click();
    Timeline *top = x.current();
    TimelineItem *a = x.insert(10000, 15000);
    emit a->itemClicked(a, false);
    x.ui()->actionCopy->trigger();
    Timeline *bottom = x.tracks()->tracksByNumber().first();
    x.w.on_timeline_Pressed(bottom, true);
    x.setIndicator(42000);
    x.ui()->actionPaste->trigger();
    QCOMPARE(times(bottom), QStringLiteral("42000-47000"));
    QCOMPARE(times(top), QStringLiteral("10000-15000"));
    TimelineItem *pasted = bottom->items().first();
    QCOMPARE(x.tracks()->selectedItem(), pasted);
    QCOMPARE(pasted->params(), a->params());
    QCOMPARE(x.ui()->Saved_status->text(), QStringLiteral("圖樣數：2"));
    // a paste is placed as Insert places a mode: the pasted one wins
    x.setIndicator(43000);
    bottom->on_itemPaste_clicked();
    QCOMPARE(times(bottom), QStringLiteral("42000-43000 43000-48000"));
    x.ui()->actionUndo->trigger();
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(bottom), QString());
}

void TestTracks::pasteIgnoresForeignClipboard_data()
{
    QTest::addColumn<int>("what");
    QTest::newRow("text") << 0;
    QTest::newRow("image") << 1;
    QTest::newRow("empty record") << 2;
    QTest::newRow("broken record") << 3;
}

void TestTracks::pasteIgnoresForeignClipboard()
{
    QFETCH(int, what);
    Window x;
    auto *mime = new QMimeData;
    if (what == 0)
        mime->setText(QStringLiteral("hello"));
    else if (what == 1)
        mime->setImageData(QImage(10, 10, QImage::Format_RGB32));
    else if (what == 2)
        mime->setData(TimelineItem::MimeType, QByteArray());
    else
        mime->setData(TimelineItem::MimeType, record(0, 1000).left(30));
    QApplication::clipboard()->setMimeData(mime);
    const int index = x.tracks()->history().index();
    x.ui()->actionPaste->trigger();
    x.current()->on_itemPaste_clicked();
    QCOMPARE(x.current()->items().size(), 0);
    QCOMPARE(x.tracks()->history().index(), index);
}

void TestTracks::insertPreview()
{
    Window x;
    x.ui()->Mode_t1->setTime(QTime(0, 0, 2));
    x.ui()->Mode_last->setValue(3.0);
    emit x.ui()->Add_Button->hovered(true);
    QVERIFY(!x.current()->ghost()->isHidden());
    QCOMPARE(x.current()->ghost()->geometry(), QRect(200, 0, 300, 55));
    QCOMPARE(x.current()->ghost()->styleSheet(),
             QStringLiteral("background-color: rgba(255, 0, 0, 0.5);"));
    emit x.ui()->Add_Button->hovered(false);
    QVERIFY(x.current()->ghost()->isHidden());
    // not while an item is selected, nor while playing
    TimelineItem *a = x.insert(0, 1000);
    emit a->itemClicked(a, false);
    emit x.ui()->Add_Button->hovered(true);
    QVERIFY(x.current()->ghost()->isHidden());
    x.ui()->cancelSelect->click();
    x.tracks()->setPlayingQuery([] { return true; });
    emit x.ui()->Add_Button->hovered(true);
    QVERIFY(x.current()->ghost()->isHidden());
}

void TestTracks::removedModesComeBackWhileNamed()
{
    Window x;
    QPointer<TimelineItem> gone = x.insert(0, 1000);
    const quintptr mode = gone->modeId();
    TimelineItem *other = x.insert(5000, 6000);
    emit gone->itemClicked(gone, false);
    QTest::keyClick(&x.w, Qt::Key_Delete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!gone); // the item goes with its mode; the history keeps the mode
    for (int i = 0; i < 50; ++i) {
        const QByteArray orig = other->data();
        other->setTimes(5000, 6001 + i);
        emit other->dragEnd(orig, other, x.current());
    }
    // still named by the history: undo brings the mode back
    for (int i = 0; i < 51; ++i)
        x.ui()->actionUndo->trigger();
    QVERIFY(itemOf(x.current(), mode));
    for (int i = 0; i < 51; ++i)
        x.ui()->actionRedo->trigger();
    QVERIFY(!itemOf(x.current(), mode));
    for (int i = 0; i < 60; ++i) {
        const QByteArray orig = other->data();
        other->setTimes(5000, 7001 + i);
        emit other->dragEnd(orig, other, x.current());
    }
    while (x.tracks()->history().canUndo())
        x.ui()->actionUndo->trigger();
    QCOMPARE(times(x.current()), QStringLiteral("5000-6010")); // 113 steps made, 100 kept
}

void TestTracks::clearProject()
{
    Window x;
    x.insert(0, 1000);
    x.ui()->timeline_add->click();
    x.insert(0, 2000);
    QPointer<Timeline> old = x.current();
    x.tracks()->clearProject();
    x.tracks()->refreshCounters();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!old);
    QCOMPARE(x.tracks()->tracks().size(), 1);
    QCOMPARE(x.tracks()->itemCount(), 0);
    QCOMPARE(x.tracks()->history().index(), 0);
    QVERIFY(!x.tracks()->history().canUndo());
    QCOMPARE(numbers(x.tracks()), QStringLiteral("1"));
    QCOMPARE(x.ui()->timeline_widget->findChildren<TimelineItem *>().size(), 0);
}

namespace {

// Triggers the entry `text` of the menu that is about to open.
void chooseFromNextMenu(const QString &text)
{
    QTimer::singleShot(50, [text] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *a : menu->actions()) {
            if (a->text() == text) {
                QVERIFY(a->isEnabled());
                a->trigger();
                menu->close();
                return;
            }
        }
        menu->close();
        QFAIL(qPrintable(QStringLiteral("no menu entry ") + text));
    });
}

} // namespace

void TestTracks::pressesAndMenus()
{
    vc::test::DragPlayer drags; // a click on an item is a drag that does not move
    Window x;
    x.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&x.w));
    x.ui()->timeline_add->click();
    Timeline *top = x.current();
    Timeline *bottom = x.tracks()->tracksByNumber().first();
    x.w.on_timeline_Pressed(bottom, true);
    TimelineItem *a = x.insert(0, 1000);
    TimelineItem *b = x.insert(1000, 2000);
    x.w.on_timeline_Pressed(top, true);

    // a left press selects the item and makes its track current
    QTest::mouseClick(a, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(x.tracks()->selectedItem(), a);
    QCOMPARE(x.current(), bottom);

    // the item menu: cut takes it off the track, one undo brings it back
    chooseFromNextMenu(QStringLiteral("剪下"));
    QTest::mousePress(b, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QCOMPARE(times(bottom), QStringLiteral("0-1000"));
    QVERIFY(!x.tracks()->selectedItem());
    x.ui()->actionUndo->trigger();
    QCOMPARE(times(bottom), QStringLiteral("0-1000 1000-2000"));

    // the track menu: paste at the indicator on the pressed track
    x.setIndicator(3000);
    chooseFromNextMenu(QStringLiteral("貼上"));
    QTest::mousePress(top, Qt::RightButton, Qt::NoModifier, QPoint(500, 10));
    QCOMPARE(x.current(), top);
    QCOMPARE(times(top), QStringLiteral("3000-4000"));

    // ... duplicate it
    chooseFromNextMenu(QStringLiteral("複製時間軸"));
    QTest::mousePress(top, Qt::RightButton, Qt::NoModifier, QPoint(500, 10));
    QCOMPARE(x.tracks()->tracks().size(), 3);
    QCOMPARE(times(x.current()), QStringLiteral("3000-4000"));

    // ... and remove it (after the question)
    Timeline *copy = x.current();
    x.prompter.buttons.enqueue(QMessageBox::Yes);
    chooseFromNextMenu(QStringLiteral("移除時間軸"));
    QTest::mousePress(copy, Qt::RightButton, Qt::NoModifier, QPoint(500, 10));
    QCOMPARE(x.tracks()->tracks().size(), 2);
    QVERIFY(copy->isHidden());

    // pressing a row label acts as pressing its track
    QTest::mouseClick(bottom->rowLabel(), Qt::LeftButton);
    QCOMPARE(x.current(), bottom);
    x.prompter.buttons.enqueue(QMessageBox::No);
    x.w.close();
}

// Random edits, undo, redo, zoom and scroll steps in a long loaded show in a
// shown window: after each, every item laid out shows its mode as the show
// has it, at its start, and every mode in view has one; an item handed out
// keeps its mode. Items nobody holds show other modes once out of view, so
// the whole list, in order and found by time, is asked for at the end.
void TestTracks::viewsFollowRandomEdits()
{
    Window x;
    x.w.resize(900, 600);
    x.w.show();
    x.ui()->timeline_add->click();
    vc::Show *show = x.w.document();
    QScrollBar *bar = x.ui()->timeline_scroll->horizontalScrollBar();
    {
        const vc::Show::Batch batch(show);
        for (Timeline *t : x.tracks()->tracks()) {
            for (int i = 0; i < 400; ++i)
                show->appendMode(t->trackId(), record(i * 300, i * 300 + 250));
        }
    }
    x.w.project()->startHistory(); // as a loaded project: undo does not unload it
    auto laidOutAgrees = [&](Timeline *v) {
        const float scale = v->msPerPixel();
        QSet<quintptr> seen;
        for (TimelineItem *item :
             v->findChildren<TimelineItem *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (item->isHidden() || item->isParked() || item->laidOutAt() != v->layoutGeneration())
                continue;
            vc::Show::Id holder = 0;
            const vc::Show::Mode *m = show->mode(item->modeId(), &holder);
            QVERIFY(m && holder == v->trackId() && item->data() == m->bytes &&
                    !seen.contains(m->id));
            QCOMPARE(item->x(), vc::timescale::itemX(m->record.startMs(), scale));
            seen.insert(m->id);
        }
        const int viewWidth = x.ui()->timeline_scroll->viewport()->width();
        for (const vc::Show::Mode &m : show->track(v->trackId())->modes) {
            if (vc::timescale::itemX(m.record.endMs(), scale) > bar->value() &&
                vc::timescale::itemX(m.record.startMs(), scale) < bar->value() + viewWidth)
                QVERIFY(seen.contains(m.id));
        }
    };
    QVector<QPair<QPointer<TimelineItem>, quintptr>> held; // items handed out, their modes
    quintptr previewed = 0;
    QRandomGenerator rng(11);
    for (int step = 0; step < 300 && !QTest::currentTestFailed(); ++step) {
        Timeline *t = x.tracks()->tracks().at(int(rng.bounded(2)));
        x.tracks()->makeCurrent(t, false);
        const QVector<vc::Show::Mode> modes = show->track(t->trackId())->modes;
        const int at = int(rng.bounded(120000));
        const quint32 op = rng.bounded(8);
        // Only a move or a delete asks for an item, so most stay unheld.
        TimelineItem *some =
            op == 1 || op == 2
                ? t->itemAt(modes.at(int(rng.bounded(modes.size()))).record.startMs())
                : nullptr;
        if (some)
            held.append({some, some->modeId()});
        switch (op) {
        case 0:
            x.insert(at, at + 200 + int(rng.bounded(3000)));
            break;
        case 1:
            if (some) {
                Timeline *to = x.tracks()->tracks().at(int(rng.bounded(2)));
                to->addTimelineItem(some);
                some->moveTo(at);
                to->on_itemDragEnd(QByteArray(), some);
                x.tracks()->refreshCounters();
            }
            break;
        case 2:
            t->deleteTimelineItem(some);
            x.tracks()->refreshCounters();
            break;
        case 3:
            x.ui()->actionUndo->trigger();
            break;
        case 4:
            x.ui()->actionRedo->trigger();
            break;
        case 5:
            x.ui()->timeline_scaler->setValue(40 + int(rng.bounded(121)));
            break;
        case 6:
            bar->setValue(int(rng.bounded(quint32(bar->maximum() + 1))));
            break;
        case 7: // the preview names an item nobody else was given
            previewed = modes.at(int(rng.bounded(modes.size()))).id;
            x.tracks()->setPreviewedItem(t->itemShowing(previewed));
            break;
        }
        QCoreApplication::processEvents();
        for (Timeline *v : x.tracks()->tracks())
            laidOutAgrees(v);
        for (const auto &h : qAsConst(held))
            QVERIFY(!h.first || h.first->modeId() == h.second);
        if (TimelineItem *p = x.tracks()->previewedItem())
            QCOMPARE(p->modeId(), previewed);
    }
    x.ui()->timeline_scaler->setValue(x.ui()->timeline_scaler->maximum()); // spares
    QCoreApplication::processEvents();
    for (Timeline *v : x.tracks()->tracks()) {
        const QVector<vc::Show::Mode> modes = show->track(v->trackId())->modes;
        const QList<TimelineItem *> items = v->items(); // as one call gives it
        QCOMPARE(items.size(), modes.size());
        for (int i = 0; i < modes.size(); ++i) {
            QCOMPARE(items.at(i)->modeId(), modes.at(i).id);
            QCOMPARE(items.at(i)->data(), modes.at(i).bytes);
            QCOMPARE(v->itemAt(modes.at(i).record.startMs()), items.at(i));
        }
        QVERIFY(visibleItemsAreListed(v));
    }
}

VC_TEST_MAIN(TestTracks)
#include "tst_tracks.moc"
