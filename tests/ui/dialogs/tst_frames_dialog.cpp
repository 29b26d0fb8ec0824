// The 64-frame table and the frame editor, driven as an operator would on an offscreen display.

#include "modal_answer.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/dialogs/frame_editor_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace vxl;
using vxl::test::ModalAnswer;

using vxl::test::child;

namespace {

QList<int> selectedRows(QTableWidget *list)
{
    QList<int> rows;
    for (const QModelIndex &index : list->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void selectRows(QTableWidget *list, const QList<int> &rows)
{
    list->clearSelection();
    for (const int row : rows)
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QList<int> span(int from, int to)
{
    QList<int> rows;
    for (int n = from; n <= to; ++n)
        rows << n;
    return rows;
}

// A profile's LIN group whose frames 28..35 differ from the defaults in every column.
LIN_Group changedGroup()
{
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    lin.Baudrate = 9600;
    for (int n = 28; n <= 35; ++n) {
        LIN_FrameEntry &entry = lin.Frames[std::size_t(n)];
        entry.Active = 1;
        entry.Length = 8;
        entry.Data = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
        SetNibble(lin.FrameLengths, n, 8);
        SetBit(lin.FrameFormats, n, true);
        SetBit(lin.SlaveMask, n, true);
    }
    return lin;
}

QString cellText(TfFramesConfig &dialog, int row, int column)
{
    return child<QTableWidget>(&dialog, "lvListFrames")->item(row, column)->text();
}

// A double click as the mouse makes it: the press that selects the row, then the double click.
void doubleClick(QTableWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestFramesDialog : public QObject
{
    Q_OBJECT

private slots:
    void rowsShowTheRecord();
    void rangeSelection_data();
    void rangeSelection();
    void columnDefaults_data();
    void columnDefaults();
    void defaultsKeepSlaveMask_data();
    void defaultsKeepSlaveMask();
    void modifySelectedRows_data();
    void modifySelectedRows();
    void dataFieldsFollowLengthAndDirection_data();
    void dataFieldsFollowLengthAndDirection();
    void dataFieldText_data();
    void dataFieldText();
    void viewOnlyShowsTheTable();
    void screenshots();
};

void TestFramesDialog::rowsShowTheRecord()
{
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    lin.Frames[20].Active = 0; // a subscriber's data is never shown
    lin.Frames[20].Data = {0x12, 0x34, 0, 0, 0, 0, 0, 0};
    lin.Frames[21].Active = 1;
    lin.Frames[21].Data = {0x0A, 0xB0, 0xCC, 0, 0, 0, 0, 0};
    SetBit(lin.FrameFormats, 21, true);
    SetNibble(lin.FrameLengths, 50, 3);
    lin.Frames[50].Active = 1;
    lin.Frames[50].Data = {1, 2, 3, 4, 5, 6, 7, 8};
    TfFramesConfig dialog;
    dialog.setLinGroup(lin);

    QCOMPARE(cellText(dialog, 20, 0), QStringLiteral("20 / 0x14"));
    QCOMPARE(cellText(dialog, 20, 1), QStringLiteral("2"));
    QCOMPARE(cellText(dialog, 20, 2), QStringLiteral("CLASSIC"));
    QCOMPARE(cellText(dialog, 20, 3), QStringLiteral("Subscriber"));
    QCOMPARE(cellText(dialog, 20, 4), QString());
    QCOMPARE(cellText(dialog, 21, 2), QStringLiteral("ENHANCED"));
    QCOMPARE(cellText(dialog, 21, 3), QStringLiteral("Publisher"));
    QCOMPARE(cellText(dialog, 21, 4), QStringLiteral("0A  B0  "));
    QCOMPARE(cellText(dialog, 50, 1), QStringLiteral("3"));
    QCOMPARE(cellText(dialog, 50, 4), QStringLiteral("01  02  03  "));
    QCOMPARE(cellText(dialog, 63, 0), QStringLiteral("63 / 0x3F"));
    QCOMPARE(selectedRows(child<QTableWidget>(&dialog, "lvListFrames")), QList<int>{0});
    QVERIFY(dialog.linGroup() == lin);
}

void TestFramesDialog::rangeSelection_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("0-59") << "mniRange0_59" << 0 << 59;
    QTest::newRow("0-31") << "mniRange0_31" << 0 << 31;
    QTest::newRow("32-47") << "mniRange32_47" << 32 << 47;
    QTest::newRow("48-63") << "mniRange48_63" << 48 << 63;
    QTest::newRow("Select all") << "mniSelectAll" << 0 << 63;
}

void TestFramesDialog::rangeSelection()
{
    QFETCH(QString, item);
    QFETCH(int, from);
    QFETCH(int, to);
    TfFramesConfig dialog;
    dialog.setLinGroup(ModuleConfig::NewProfile().LIN);
    auto *list = child<QTableWidget>(&dialog, "lvListFrames");
    selectRows(list, {5, 31, 48, 60, 63});
    auto *menu = child<QMenu>(&dialog, "pumModify");
    child<QAction>(menu, item.toLatin1().constData())->trigger();
    QCOMPARE(selectedRows(list), span(from, to));
}

void TestFramesDialog::columnDefaults_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("lengths"); // rows 30..33
    QTest::addColumn<QString>("checksum");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<bool>("dataReset");
    QTest::newRow("Length") << "mniDefaultLength" << QStringList{"2", "2", "4", "4"} << "ENHANCED"
                            << "Publisher" << false;
    QTest::newRow("Checksum type")
        << "mniDefaultChecksum" << QStringList{"8", "8", "8", "8"} << "CLASSIC"
        << "Publisher" << false;
    QTest::newRow("Activation") << "mniDefaultActivation" << QStringList{"8", "8", "8", "8"}
                                << "ENHANCED"
                                << "Subscriber" << false;
    QTest::newRow("Data fields") << "mniDefaultData" << QStringList{"8", "8", "8", "8"}
                                 << "ENHANCED"
                                 << "Publisher" << true;
    QTest::newRow("Set default values")
        << "mniSetDefaultValues" << QStringList{"2", "2", "4", "4"} << "CLASSIC"
        << "Subscriber" << true;
}

void TestFramesDialog::columnDefaults()
{
    QFETCH(QString, item);
    QFETCH(QStringList, lengths);
    QFETCH(QString, checksum);
    QFETCH(QString, direction);
    QFETCH(bool, dataReset);
    const LIN_Group before = changedGroup();
    TfFramesConfig dialog;
    dialog.setLinGroup(before);
    selectRows(child<QTableWidget>(&dialog, "lvListFrames"), span(30, 33));
    child<QAction>(&dialog, item.toLatin1().constData())->trigger();

    const LIN_Group after = dialog.linGroup();
    for (int n = 30; n <= 33; ++n) {
        const LIN_FrameEntry &entry = after.Frames[std::size_t(n)];
        const QString length = lengths[n - 30];
        QCOMPARE(cellText(dialog, n, 1), length);
        QCOMPARE(GetNibble(after.FrameLengths, n), length.toInt());
        QCOMPARE(int(entry.Length), length.toInt());
        QCOMPARE(cellText(dialog, n, 2), checksum);
        QCOMPARE(TestBit(after.FrameFormats, n), checksum == "ENHANCED" ? 1 : 0);
        QCOMPARE(cellText(dialog, n, 3), direction);
        QCOMPARE(TestBit(after.SlaveMask, n), direction == "Publisher" ? 1 : 0);
        QCOMPARE(entry.Active != 0, direction == "Publisher");
        // The default data of these frames is 0xFF in their default length; bytes beyond it
        // are kept.
        const int resetBytes = dataReset ? DefaultFrameLength(n) : 0;
        for (int i = 0; i < kFrameDataBytes; ++i)
            QCOMPARE(int(entry.Data[std::size_t(i)]),
                     i < resetBytes ? 0xFF
                                    : int(before.Frames[std::size_t(n)].Data[std::size_t(i)]));
    }
    for (const int untouched : {28, 29, 34, 35}) {
        QVERIFY(after.Frames[std::size_t(untouched)] == before.Frames[std::size_t(untouched)]);
        QCOMPARE(cellText(dialog, untouched, 1), QStringLiteral("8"));
        QCOMPARE(TestBit(after.SlaveMask, untouched), 1);
    }
    QCOMPARE(after.Baudrate, before.Baudrate);
}

void TestFramesDialog::defaultsKeepSlaveMask_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("maskKept");
    QTest::newRow("Defaults button") << "btbSetStandard" << true;
    QTest::newRow("applied without showing") << "applyDefaults" << true;
    QTest::newRow("Set default values on all rows") << "mniSetDefaultValues" << false;
}

void TestFramesDialog::defaultsKeepSlaveMask()
{
    QFETCH(QString, how);
    QFETCH(bool, maskKept);
    LIN_Group before = changedGroup();
    before.SlaveIdData = before.Frames[30];
    before.SlaveIdData.ID = 30;
    TfFramesConfig dialog;
    dialog.setLinGroup(before);
    if (how == "btbSetStandard") {
        child<QPushButton>(&dialog, "btbSetStandard")->click();
    } else if (how == "applyDefaults") {
        dialog.applyDefaults();
    } else {
        child<QAction>(&dialog, "mniSelectAll")->trigger();
        child<QAction>(&dialog, "mniSetDefaultValues")->trigger();
    }

    const LIN_Group after = dialog.linGroup();
    const std::array<std::uint8_t, 8> noBits{};
    QVERIFY(after.SlaveMask == (maskKept ? before.SlaveMask : noBits));
    LIN_Group expected = ModuleConfig::NewProfile().LIN;
    QVERIFY(after.FrameLengths == expected.FrameLengths);
    QVERIFY(after.FrameFormats == expected.FrameFormats);
    // "Defaults" replaces whole entries; per row only the default length's data bytes are set.
    if (maskKept)
        QVERIFY(after.Frames == expected.Frames);
    QCOMPARE(after.Baudrate, 9600);
    for (int n = 0; n < kFrameCount; ++n) {
        const LIN_FrameEntry &entry = after.Frames[std::size_t(n)];
        QCOMPARE(int(entry.Active), 0);
        QCOMPARE(int(entry.Length), DefaultFrameLength(n));
        for (int i = 0; i < DefaultFrameLength(n); ++i)
            QCOMPARE(int(entry.Data[std::size_t(i)]), 0xFF);
        QCOMPARE(cellText(dialog, n, 1), QString::number(DefaultFrameLength(n)));
        QCOMPARE(cellText(dialog, n, 3), QStringLiteral("Subscriber"));
    }
    if (maskKept) {
        // The slave ID data becomes the default entry of the default slave ID.
        QCOMPARE(int(after.SlaveIdData.ID), 63);
        QCOMPARE(int(after.SlaveIdData.Length), 8);
        QCOMPARE(int(after.SlaveIdData.Active), 0);
        QCOMPARE(int(after.SlaveIdData.Data[7]), 0xFF);
    } else {
        QVERIFY(after.SlaveIdData == before.SlaveIdData);
    }
}

void TestFramesDialog::modifySelectedRows_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<int>("slaveId");
    QTest::addColumn<QString>("title");
    QTest::newRow("one row") << QList<int>{12} << 63 << "Editing Frame-ID: 12 (0x0C)";
    QTest::newRow("three rows") << QList<int>{40, 3, 7} << 63 << "Editing multiple IDs";
    QTest::newRow("the slave ID's row") << QList<int>{45} << 45 << "Editing Frame-ID: 45 (0x2D)";
    QTest::newRow("slave ID among several") << QList<int>{9, 10} << 10 << "Editing multiple IDs";
}

void TestFramesDialog::modifySelectedRows()
{
    QFETCH(QList<int>, rows);
    QFETCH(int, slaveId);
    QFETCH(QString, title);
    LIN_Group before = ModuleConfig::NewProfile().LIN;
    before.SlaveIdData = before.Frames[std::size_t(slaveId)];
    TfFramesConfig dialog;
    dialog.setLinGroup(before);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *list = child<QTableWidget>(&dialog, "lvListFrames");
    list->scrollToItem(list->item(rows.front(), 0));
    selectRows(list, rows);
    const int first = *std::min_element(rows.cbegin(), rows.cend());

    QString shownTitle;
    QString shownLength;
    QString shownData;
    const auto answer = ModalAnswer::of<TfFrameEditor>([&](TfFrameEditor *editor) {
        shownTitle = editor->windowTitle();
        shownLength = child<QComboBox>(editor, "cbbLength")->currentText();
        shownData = child<QLineEdit>(editor, "ediP00")->text();
        child<QComboBox>(editor, "cbbLength")->setCurrentIndex(3);
        child<QComboBox>(editor, "cbbFormat")->setCurrentIndex(1);
        child<QComboBox>(editor, "cbbDirection")->setCurrentIndex(1);
        const QStringList bytes = {"A1", "B2", "C3", "D4", "E5", "F6", "07", "18"};
        for (int i = 0; i < 8; ++i)
            child<QLineEdit>(editor, qPrintable(QStringLiteral("ediP%1").arg(i, 2, 10, QChar('0'))))
                ->setText(bytes[i]);
        child<QPushButton>(editor, "btbOK")->click();
    });
    // A double click selects the row under the mouse alone, so several rows go by the button.
    if (rows.size() == 1)
        doubleClick(list, first);
    else
        child<QPushButton>(&dialog, "btbModify")->click();
    QVERIFY(answer->answered());
    QCOMPARE(shownTitle, title);
    QCOMPARE(shownLength, QString::number(DefaultFrameLength(first)));
    QCOMPARE(shownData, QStringLiteral("FF"));

    const LIN_Group after = dialog.linGroup();
    for (int n = 0; n < kFrameCount; ++n) {
        const LIN_FrameEntry &entry = after.Frames[std::size_t(n)];
        if (!rows.contains(n)) {
            QVERIFY(entry == before.Frames[std::size_t(n)]);
            continue;
        }
        QCOMPARE(cellText(dialog, n, 1), QStringLiteral("3"));
        QCOMPARE(cellText(dialog, n, 2), QStringLiteral("ENHANCED"));
        QCOMPARE(cellText(dialog, n, 3), QStringLiteral("Publisher"));
        QCOMPARE(cellText(dialog, n, 4), QStringLiteral("A1  B2  C3  "));
        QCOMPARE(GetNibble(after.FrameLengths, n), 3);
        QCOMPARE(TestBit(after.SlaveMask, n), 1);
        const std::array<std::uint8_t, 8> data = {0xA1, 0xB2, 0xC3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        QVERIFY(entry.Data == data);
    }
    const bool slaveEdited = rows.contains(slaveId);
    QVERIFY(after.SlaveIdData
            == (slaveEdited ? after.Frames[std::size_t(slaveId)] : before.SlaveIdData));
}

void TestFramesDialog::dataFieldsFollowLengthAndDirection_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("publisher");
    QTest::addColumn<int>("enabledFields");
    QTest::newRow("3 publisher") << 3 << true << 3;
    QTest::newRow("3 subscriber") << 3 << false << 0;
    QTest::newRow("8 publisher") << 8 << true << 8;
    QTest::newRow("0 publisher") << 0 << true << 0;
    QTest::newRow("8 subscriber") << 8 << false << 0;
}

void TestFramesDialog::dataFieldsFollowLengthAndDirection()
{
    QFETCH(int, length);
    QFETCH(bool, publisher);
    QFETCH(int, enabledFields);
    // Opened on the opposite settings, then changed by the selectors.
    TfFrameEditor editor;
    FrameEdit values;
    values.length = 8 - length;
    values.publisher = !publisher;
    editor.prefill(values, false);
    editor.show();
    child<QComboBox>(&editor, "cbbLength")->setCurrentIndex(length);
    child<QComboBox>(&editor, "cbbDirection")->setCurrentIndex(publisher ? 1 : 0);
    for (int i = 0; i < 8; ++i) {
        auto *field = child<QLineEdit>(&editor,
                                       qPrintable(
                                           QStringLiteral("ediP%1").arg(i, 2, 10, QChar('0'))));
        QCOMPARE(field->isEnabled(), i < enabledFields);
    }

    // The same state when the editor opens prefilled with it.
    TfFrameEditor prefilled;
    values.length = length;
    values.publisher = publisher;
    prefilled.prefill(values, false);
    prefilled.show();
    QCOMPARE(child<QLineEdit>(&prefilled, "ediP02")->isEnabled(), enabledFields > 2);
    QCOMPARE(child<QLineEdit>(&prefilled, "ediP03")->isEnabled(), enabledFields > 3);
}

void TestFramesDialog::dataFieldText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("G") << "G"
                       << "00";
    QTest::newRow("a") << "a"
                       << "0A";
    QTest::newRow("ff") << "ff"
                        << "FF";
    QTest::newRow("7") << "7"
                       << "07";
    QTest::newRow("empty") << ""
                           << "00";
}

void TestFramesDialog::dataFieldText()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TfFrameEditor editor;
    FrameEdit values;
    values.length = 8;
    values.publisher = true;
    editor.prefill(values, false);
    editor.show();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    auto *field = child<QLineEdit>(&editor, "ediP04");
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    field->clear();
    QTest::keyClicks(field, typed);
    child<QLineEdit>(&editor, "ediP05")->setFocus();
    QTRY_VERIFY(!field->hasFocus());
    QCOMPARE(field->text(), shown);
    QCOMPARE(editor.result().data[4], std::uint8_t(shown.toUInt(nullptr, 16)));
}

void TestFramesDialog::viewOnlyShowsTheTable()
{
    const LIN_Group before = changedGroup();
    TfFramesConfig dialog;
    dialog.setEditable(false);
    dialog.setLinGroup(before);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const char *name : {"btbOK", "btbModify", "btbSetStandard"})
        QVERIFY2(!child<QPushButton>(&dialog, name)->isEnabled(), name);
    QCOMPARE(cellText(dialog, 30, 3), QStringLiteral("Publisher"));

    auto *list = child<QTableWidget>(&dialog, "lvListFrames");
    auto *menu = child<QMenu>(&dialog, "pumModify");
    const auto anyDialog = ModalAnswer::of<QDialog>([](QDialog *opened) { opened->reject(); },
                                                    &dialog);
    const QPoint at = list->visualItemRect(list->item(1, 0)).center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &request);
    QTest::qWait(50);
    QVERIFY(!menu->isVisible());
    doubleClick(list, 1);
    QTest::qWait(50);
    QVERIFY(!anyDialog->answered());

    dialog.accept();
    QVERIFY(dialog.isVisible());
    QVERIFY(dialog.linGroup() == before);
    child<QPushButton>(&dialog, "btbCancel")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    // Editable, the same request opens the menu.
    dialog.setEditable(true);
    dialog.show();
    QApplication::sendEvent(list->viewport(), &request);
    QTRY_VERIFY(menu->isVisible());
    menu->close();
}

void TestFramesDialog::screenshots()
{
    LIN_Group lin = changedGroup();
    lin.Frames[2].Active = 1;
    lin.Frames[2].Data = {0xDE, 0xAD, 0, 0, 0, 0, 0, 0};
    TfFramesConfig dialog;
    dialog.setLinGroup(lin);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    child<QTableWidget>(&dialog, "lvListFrames")
        ->scrollToItem(child<QTableWidget>(&dialog, "lvListFrames")->item(20, 0),
                       QAbstractItemView::PositionAtTop);
    QVERIFY(!vxl::test::saveScreenshot(&dialog, QStringLiteral("frames_config")).isEmpty());

    TfFrameEditor editor;
    FrameEdit values;
    values.id = 45;
    values.length = 4;
    values.enhanced = true;
    values.publisher = true;
    values.data = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    editor.prefill(values, false);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QVERIFY(!vxl::test::saveScreenshot(&editor, QStringLiteral("frame_editor")).isEmpty());

    auto *menu = child<QMenu>(&dialog, "pumModify");
    menu->popup(dialog.mapToGlobal(QPoint(40, 60)));
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(!vxl::test::saveScreenshot(menu, QStringLiteral("frames_config_menu")).isEmpty());
    menu->close();
}

QTEST_MAIN(TestFramesDialog)
#include "tst_frames_dialog.moc"
