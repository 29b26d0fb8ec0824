// The module data view on an offscreen display, bound to the operations of the tool talking to
// the emulated module over a pty.

#include "core/link/lin_port.h"
#include "core/operations/module_read.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/views/module_data_view.h"
#include "ui/views/module_grid_widget.h"
#include "ui/widgets/control_panel_widget.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vxl;
using vxl::test::OpsRig;

using vxl::test::child;

namespace {

QPushButton *button(QWidget *view, const char *name)
{
    return child<QPushButton>(view, name);
}

QString cell(ModuleDataView &view, int row, int column)
{
    return view.grid()->item(row, column)->text();
}

// The colour the screen shows in the middle of the cell's right end (away from its text).
QColor shownColor(QTableWidget *grid, int row, int column)
{
    const QImage image = grid->viewport()->grab().toImage();
    const int x = grid->columnViewportPosition(column) + grid->columnWidth(column) - 6;
    const int y = grid->rowViewportPosition(row) + grid->rowHeight(row) / 2;
    return image.pixelColor(x * image.width() / grid->viewport()->width(),
                            y * image.height() / grid->viewport()->height());
}

struct ShownView
{
    explicit ShownView(Operations &ops)
        : view(ops)
    {
        view.resize(1200, 760);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("view not shown");
    }
    ModuleDataView view;
};

} // namespace

class TestModuleDataView : public QObject
{
    Q_OBJECT

private slots:
    void layoutBeforeRead();
    void hints_data();
    void hints();
    void fixedCellsLookFixed_data();
    void fixedCellsLookFixed();
    void wholeRowsSelected();
    void columnResizedByItsEdge_data();
    void columnResizedByItsEdge();
    void filledAfterRead_data();
    void filledAfterRead();
    void timeoutEmptiesValues();
    void schedulerShowsModuleEntriesViewOnly();
    void framesShowModuleTable();
    void saveCannotRunTwice();
    void panelColour();
};

void TestModuleDataView::layoutBeforeRead()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    ModuleDataView &view = shown.view;
    auto *grid = view.grid();
    QCOMPARE(grid->objectName(), QStringLiteral("sgridActualValues"));
    QCOMPARE(grid->rowCount(), 24);
    QCOMPARE(grid->columnCount(), 4);
    const QList<int> widths{180, 137, 198, 1038};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(grid->columnWidth(column), widths.at(column));
    for (int row = 0; row < 24; ++row)
        QCOMPARE(grid->rowHeight(row), row == 6 ? 20 : 24);

    // No caption is cut by its column.
    const QFontMetrics metrics(grid->font());
    for (int row = 0; row < 24; ++row) {
        for (int column = 0; column < 4; ++column) {
            if (row != 0 && column != 0)
                continue;
            const QString text = cell(view, row, column);
            QVERIFY2(metrics.horizontalAdvance(text) + 6 <= grid->columnWidth(column),
                     qPrintable(text));
        }
    }

    QCOMPARE(child<QLabel>(&view, "laCaption")->text(), QStringLiteral("Current Configuration"));
    QCOMPARE(cell(view, 0, 1), QStringLiteral("    RS-232 "));
    QCOMPARE(cell(view, 0, 3), QStringLiteral("                      LIN  "));
    QCOMPARE(cell(view, 6, 0), QStringLiteral(" CAN ID Offset"));
    QCOMPARE(cell(view, 23, 0), QStringLiteral("       Sync"));
    for (int row = 1; row < 24; ++row) {
        for (int column = 1; column < 4; ++column)
            QVERIFY2(cell(view, row, column).isEmpty(), qPrintable(cell(view, row, column)));
    }
    QCOMPARE(child<QLabel>(&view, "sttHardware")->text(), QStringLiteral("Hardware:"));
    QCOMPARE(child<QLabel>(&view, "sttFirmware")->text(), QStringLiteral("Firmware:"));
    QCOMPARE(child<QLabel>(&view, "sttVersion")->text(), QStringLiteral("Build Mode:"));
    QCOMPARE(button(&view, "btbSaveDataAs")->text(), QStringLiteral("Save"));
    QCOMPARE(button(&view, "btbScheduler")->text(), QStringLiteral("Scheduler"));
    QCOMPARE(button(&view, "btbFrames")->text(), QStringLiteral("Frames"));
    QCOMPARE(button(&view, "btbRefresh")->text(), QStringLiteral("Refresh"));
    QVERIFY(button(&view, "btbRefresh")->isDefault());
    // Not connected: nothing to read, save or show.
    for (const char *name : {"btbSaveDataAs", "btbScheduler", "btbFrames", "btbRefresh"})
        QVERIFY2(!button(&view, name)->isEnabled(), name);
    QVERIFY(!test::saveScreenshot(&view, QStringLiteral("module_data_view_empty")).isEmpty());
}

void TestModuleDataView::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("save") << "btbSaveDataAs"
                          << "Saves the current configuration present in the VEXA-LIN module in a "
                             "VEXA-LIN profile";
    QTest::newRow("scheduler")
        << "btbScheduler"
        << "Shows the content of the Master Scheduler of the VEXA-LIN module";
    QTest::newRow("frames") << "btbFrames"
                            << "Shows a detailed frame configuration information of the VEXA-LIN "
                               "module";
    QTest::newRow("refresh") << "btbRefresh"
                             << "Forces to read again all the information from the module and to "
                                "refresh the data in the information grid";
    QTest::newRow("hardware") << "sttHardware"
                              << "Hardware version";
    QTest::newRow("firmware") << "sttFirmware"
                              << "Firmware version";
    QTest::newRow("build mode") << "sttVersion"
                                << "Build mode";
}

void TestModuleDataView::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    OpsRig rig;
    ModuleDataView view(rig.ops());
    auto *control = view.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->toolTip(), hint);
    // Every control sits on the control panel.
    QVERIFY(view.controlPanel()->isAncestorOf(control));
}

void TestModuleDataView::fixedCellsLookFixed_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("fixed");
    QTest::newRow("corner") << 0 << 0 << true;
    QTest::newRow("group caption") << 0 << 2 << true;
    QTest::newRow("row caption") << 5 << 0 << true;
    QTest::newRow("short row caption") << 6 << 0 << true;
    QTest::newRow("last caption") << 23 << 0 << true;
    QTest::newRow("value") << 5 << 1 << false;
    QTest::newRow("last value") << 23 << 3 << false;
}

void TestModuleDataView::fixedCellsLookFixed()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, fixed);
    OpsRig rig;
    ShownView shown(rig.ops());
    auto *grid = shown.view.grid();
    grid->scrollToItem(grid->item(row, column));
    // 16577003 in the stored order: red EB, green F1, blue FC.
    const QColor fixedColor(0xEB, 0xF1, 0xFC);
    grid->setFocus();
    QCOMPARE(shownColor(grid, row, column) == fixedColor, fixed);
}

void TestModuleDataView::wholeRowsSelected()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    auto *grid = shown.view.grid();
    const auto clickCell = [grid](int row, int column) {
        const QPoint at(grid->columnViewportPosition(column) + 20,
                        grid->rowViewportPosition(row) + grid->rowHeight(row) / 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    };
    clickCell(3, 2);
    QList<QPoint> selected;
    for (const auto *item : grid->selectedItems())
        selected << QPoint(item->column(), item->row());
    std::sort(selected.begin(), selected.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    // The caption of the row is not part of the selection.
    QCOMPARE(selected, (QList<QPoint>{{1, 3}, {2, 3}, {3, 3}}));

    const auto selectedRow = [grid] {
        const auto rows = grid->selectionModel()->selectedRows(1);
        return rows.size() == 1 ? rows.first().row() : -1;
    };
    clickCell(10, 1);
    QCOMPARE(grid->selectedItems().size(), 3);
    QCOMPARE(selectedRow(), 10);
    // A row's caption stands for its row; the caption row selects nothing.
    clickCell(7, 0);
    QCOMPARE(selectedRow(), 7);
    QCOMPARE(grid->currentColumn(), 1);
    clickCell(0, 2);
    QCOMPARE(selectedRow(), 7);
    QCOMPARE(grid->currentRow(), 7);
}

void TestModuleDataView::columnResizedByItsEdge_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("drag");
    QTest::addColumn<int>("width");
    QTest::newRow("captions wider") << 0 << 40 << 220;
    QTest::newRow("RS-232 narrower") << 1 << -37 << 100;
    QTest::newRow("CAN never below the minimum") << 2 << -400 << 8;
}

void TestModuleDataView::columnResizedByItsEdge()
{
    QFETCH(int, column);
    QFETCH(int, drag);
    QFETCH(int, width);
    OpsRig rig;
    ShownView shown(rig.ops());
    auto *grid = shown.view.grid();
    QWidget *viewport = grid->viewport();
    const int edge = grid->columnViewportPosition(column) + grid->columnWidth(column);
    const int y = grid->rowHeight(0) / 2;
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(edge - 1, y));
    QTest::mouseMove(viewport, QPoint(edge - 1 + drag, y));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(edge - 1 + drag, y));
    QCOMPARE(grid->columnWidth(column), width);
    // A press inside a value row selects the row and resizes nothing.
    const int before = grid->columnWidth(column + 1);
    const int inner = grid->columnViewportPosition(column + 1) + grid->columnWidth(column + 1);
    QTest::mousePress(viewport,
                      Qt::LeftButton,
                      {},
                      QPoint(inner - 1, grid->rowViewportPosition(4) + 5));
    QTest::mouseMove(viewport, QPoint(inner + 50, grid->rowViewportPosition(4) + 5));
    QTest::mouseRelease(viewport,
                        Qt::LeftButton,
                        {},
                        QPoint(inner + 50, grid->rowViewportPosition(4) + 5));
    QCOMPARE(grid->columnWidth(column + 1), before);
}

void TestModuleDataView::filledAfterRead_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("RS-232 bit rate") << 2 << 1 << "38400 bit/s";
    QTest::newRow("CAN active") << 1 << 2 << "Enabled";
    QTest::newRow("CAN bit rate") << 2 << 2 << "500.0 kbit/s (0x001C)";
    QTest::newRow("CAN forwarding") << 3 << 2 << "No Forwarding";
    QTest::newRow("LIN master") << 7 << 3 << "Scheduler not Active";
    QTest::newRow("LIN termination") << 8 << 3 << "LIN Slave Termination";
    QTest::newRow("LIN time-outs") << 9 << 3 << "0 - 0 - 0 - 0";
    QTest::newRow("separator") << 14 << 2 << QString(377, QLatin1Char('-'));
    QTest::newRow("caption kept") << 9 << 0 << " Message Transmission Timeouts";
}

void TestModuleDataView::filledAfterRead()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    OpsRig rig;
    rig.host().withModel([](sim::ModuleModel &m) {
        m.Config().LIN.MessageTimeouts = {0, 0, 0, 0};
    });
    ShownView shown(rig.ops());
    ModuleDataView &view = shown.view;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(cell(view, row, column), text);
    // Every cell shows what the read produced.
    const GridTexts &grid = rig.ops().Grid();
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c)
            QCOMPARE(cell(view, r, c), grid[std::size_t(r)][std::size_t(c)]);
    }
    QCOMPARE(child<QLabel>(&view, "sttHardware")->text(), QStringLiteral("VXL-LIN-G 1.0  "));
    QCOMPARE(child<QLabel>(&view, "sttFirmware")->text(), QStringLiteral("01.02.15"));
    QCOMPARE(child<QLabel>(&view, "sttVersion")->text(), QStringLiteral("VDO"));
    for (const char *name : {"btbSaveDataAs", "btbScheduler", "btbFrames", "btbRefresh"})
        QVERIFY2(button(&view, name)->isEnabled(), name);
    if (row == 2 && column == 1)
        QVERIFY(!test::saveScreenshot(&view, QStringLiteral("module_data_view_filled")).isEmpty());
}

void TestModuleDataView::timeoutEmptiesValues()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    ModuleDataView &view = shown.view;
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(cell(view, 1, 3), QStringLiteral("Enabled"));
    QStringList captions;
    for (int row = 0; row < 24; ++row)
        captions << cell(view, row, 0);
    for (int column = 1; column < 4; ++column)
        captions << cell(view, 0, column);
    VXLIN_Values settings = rig.ops().Settings();
    settings.Timeout = 1;
    rig.ops().ApplySettings(settings);
    rig.host().setSilent(true);
    const auto before = rig.host().requests().size();
    QTest::mouseClick(button(&view, "btbRefresh"), Qt::LeftButton);
    QVERIFY(rig.waitRequests(before + 1));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.ops().IsConnected(), 4000);
    QStringList captionsAfter;
    for (int row = 0; row < 24; ++row)
        captionsAfter << cell(view, row, 0);
    for (int column = 1; column < 4; ++column)
        captionsAfter << cell(view, 0, column);
    QCOMPARE(captionsAfter, captions);
    QCOMPARE(captions.at(15), QStringLiteral("       Reception (RCV)"));
    for (int row = 1; row < 24; ++row) {
        for (int column = 1; column < 4; ++column)
            QVERIFY2(cell(view, row, column).isEmpty(), qPrintable(cell(view, row, column)));
    }
    for (const char *name : {"btbSaveDataAs", "btbScheduler", "btbFrames", "btbRefresh"})
        QVERIFY2(!button(&view, name)->isEnabled(), name);
    QVERIFY(!test::saveScreenshot(&view, QStringLiteral("module_data_view_timeout")).isEmpty());
}

void TestModuleDataView::schedulerShowsModuleEntriesViewOnly()
{
    OpsRig rig;
    const std::vector<LIN_SchedulerEntry> entries{{10, 0x05}, {20, 0x21}, {250, 0x3C}};
    rig.host().withModel([&entries](sim::ModuleModel &m) {
        auto &lin = m.Config().LIN;
        lin.SchedulerCount = std::uint16_t(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            lin.SchedulerEntries[i] = entries[i];
    });
    ShownView shown(rig.ops());
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QCOMPARE(cell(shown.view, 10, 3), QStringLiteral(" 3"));
    auto *scheduler = button(&shown.view, "btbScheduler");
    QTest::mouseClick(scheduler, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(rig.op().entriesShown.size(), std::size_t(1), 5000);
    QCOMPARE(rig.op().entriesShown.front(), entries);
    QCOMPARE(rig.op().entriesEditable, std::vector<bool>{false});
    QVERIFY(rig.waitIdle());
    QVERIFY(scheduler->isEnabled());
    // Shown, not changed: the module keeps its entries.
    QCOMPARE(rig.host().config().LIN.SchedulerCount, std::uint16_t(3));
}

void TestModuleDataView::framesShowModuleTable()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QTest::mouseClick(button(&shown.view, "btbFrames"), Qt::LeftButton);
    QCOMPARE(rig.op().framesShown.size(), std::size_t(1));
    QCOMPARE(rig.op().framesShown.front().FrameLengths, rig.host().config().LIN.FrameLengths);

    // Frame lengths the module did not give: the user is told why there is no table.
    rig.ops().ModuleCopy().LIN.ReplyStatus[LinFrameLengthsStatus] = 2;
    QTest::mouseClick(button(&shown.view, "btbFrames"), Qt::LeftButton);
    QCOMPARE(rig.op().framesShown.size(), std::size_t(1));
    QCOMPARE(rig.op().boxTexts(BoxKind::Information),
             QStringList{"Frame Information not available. Error Length: 2 Error Format: 0"});
}

void TestModuleDataView::saveCannotRunTwice()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    QTemporaryDir dir;
    rig.op().saveFileAnswer = dir.filePath(QStringLiteral("module.vxlin"));
    // The confirmation box stays open a while; meanwhile the user clicks "Save" again.
    rig.op().boxOpenMs = 300;
    auto *save = button(&shown.view, "btbSaveDataAs");
    bool enabledWhileOpen = true;
    QTimer::singleShot(100, save, [&] {
        enabledWhileOpen = save->isEnabled();
        QTest::mouseClick(save, Qt::LeftButton);
    });
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(!enabledWhileOpen);
    // Not a slave-simulation build: the module refused its slave activation ID.
    QCOMPARE(rig.op().boxTexts(),
             (QStringList{"Current module data was saved as \"module.vxlin\"",
                          "The module did not give these values; the profile holds their default "
                          "values:\nCAN ID For Slave Activation"}));
    QVERIFY(save->isEnabled());
    QFile file(rig.op().saveFileAnswer);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf16(reinterpret_cast<const char16_t *>(file.readAll().constData()))
                .contains(QStringLiteral("VXLIN_PROFILE")));
}

void TestModuleDataView::panelColour()
{
    OpsRig rig;
    ShownView shown(rig.ops());
    QWidget *panel = shown.view.controlPanel();
    QCOMPARE(panel->objectName(), QStringLiteral("panControls1"));
    QVERIFY(panel->autoFillBackground());
    const auto colourAtLeftBottom = [panel] {
        const QImage image = panel->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() - 4);
    };
    // Not connected: ColorOff (red E9, green E0, blue E0).
    QCOMPARE(colourAtLeftBottom(), QColor(0xE9, 0xE0, 0xE0));
    // 16776960 in the stored order is cyan.
    shown.view.controlPanel()->paint(16776960);
    QCOMPARE(colourAtLeftBottom(), QColor(0x00, 0xFF, 0xFF));
}

QTEST_MAIN(TestModuleDataView)
#include "tst_module_data_view.moc"
