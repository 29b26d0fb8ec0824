// The scheduler entry list and the entry editor, driven as an operator would on an offscreen
// display.

#include "modal_answer.h"
#include "support/test_support.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/entry_dialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using namespace vxl;
using vxl::test::ModalAnswer;

namespace {

template<typename T>
T *child(QWidget *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("control %s not found", name);
    return found;
}

std::vector<LIN_SchedulerEntry> numbered(int count)
{
    std::vector<LIN_SchedulerEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({std::uint16_t(10 * (i + 1)), std::uint8_t(i % 64)});
    return entries;
}

QStringList column(QTableWidget *list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row)
        texts << list->item(row, column)->text();
    return texts;
}

void selectRows(QTableWidget *list, const QList<int> &rows)
{
    list->clearSelection();
    for (const int row : rows)
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Moves the focus into the field and on to the next control, as Tab would.
void leave(QLineEdit *field, QWidget *next)
{
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    next->setFocus();
    QTRY_VERIFY(!field->hasFocus());
}

void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->clear();
    QTest::keyClicks(field, text);
}

} // namespace

class TestEntriesDialog : public QObject
{
    Q_OBJECT

private slots:
    void insertStopsAtFiftyRows_data();
    void insertStopsAtFiftyRows();
    void identifierField_data();
    void identifierField();
    void switchingBaseWithoutLeavingTheField_data();
    void switchingBaseWithoutLeavingTheField();
    void timeFieldLimits_data();
    void timeFieldLimits();
    void timeThatIsNoNumberKeepsDialogOpen();
    void deleteRenumbers_data();
    void deleteRenumbers();
    void modifySetsEverySelectedRow_data();
    void modifySetsEverySelectedRow();
    void readsBackRowsInOrder();
    void viewOnlyOffersNoChanges();
    void screenshots();
};

void TestEntriesDialog::insertStopsAtFiftyRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("insertAvailable");
    QTest::newRow("49 rows") << 49 << true;
    QTest::newRow("opened with 50") << 50 << false;
    QTest::newRow("empty") << 0 << true;
}

void TestEntriesDialog::insertStopsAtFiftyRows()
{
    QFETCH(int, rows);
    QFETCH(bool, insertAvailable);
    TfEntries dialog;
    dialog.setEntries(numbered(rows));
    auto *insert = child<QPushButton>(&dialog, "btbInsert");
    auto *mniInsert = child<QAction>(&dialog, "mniInsert");
    auto *list = child<QTableWidget>(&dialog, "lvEntries");
    QCOMPARE(insert->isEnabled(), insertAvailable);
    QCOMPARE(mniInsert->isEnabled(), insertAvailable);

    // The entry dialog opens as created: hex mode, identifier 0, time 5.
    QString shownId;
    QString shownTime;
    const auto answer = ModalAnswer::of<TfEntry>([&](TfEntry *entry) {
        shownId = child<QLineEdit>(entry, "ediID")->text();
        shownTime = child<QLineEdit>(entry, "ediTime")->text();
        child<QLineEdit>(entry, "ediID")->setText(QStringLiteral("2A"));
        child<QLineEdit>(entry, "ediTime")->setText(QStringLiteral("300"));
        child<QPushButton>(entry, "btbOK")->click();
    });
    mniInsert->trigger();
    QCOMPARE(answer->answered(), insertAvailable);
    QCOMPARE(list->rowCount(), insertAvailable ? rows + 1 : rows);
    if (!insertAvailable)
        return;
    QCOMPARE(shownId, QStringLiteral("0"));
    QCOMPARE(shownTime, QStringLiteral("5"));
    const int last = list->rowCount() - 1;
    QCOMPARE(list->item(last, 0)->text(), QString::number(rows + 1));
    QCOMPARE(list->item(last, 1)->text(), QStringLiteral("42 / 0x2A"));
    QCOMPARE(list->item(last, 2)->text(), QStringLiteral("300"));
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list->currentRow(), last);
    QCOMPARE(insert->isEnabled(), rows + 1 < 50);
}

void TestEntriesDialog::identifierField_data()
{
    QTest::addColumn<bool>("decimalFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterLeaving");
    QTest::addColumn<QString>("afterSwitching");
    QTest::addColumn<int>("identifier"); // of the entry after switching
    QTest::newRow("7F hex is capped") << false << "7F"
                                      << "3F"
                                      << "63" << 63;
    QTest::newRow("lower-case hex") << false << "2a"
                                    << "2A"
                                    << "42" << 42;
    QTest::newRow("no G in hex") << false << "G1"
                                 << "1"
                                 << "1" << 1;
    QTest::newRow("99 decimal is capped") << true << "99"
                                          << "63"
                                          << "3F" << 63;
    QTest::newRow("no letters in decimal") << true << "1A"
                                           << "1"
                                           << "1" << 1;
    QTest::newRow("decimal to hex drops zeros") << true << "10"
                                                << "10"
                                                << "A" << 10;
}

void TestEntriesDialog::identifierField()
{
    QFETCH(bool, decimalFirst);
    QFETCH(QString, typed);
    QFETCH(QString, afterLeaving);
    QFETCH(QString, afterSwitching);
    QFETCH(int, identifier);
    TfEntry dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *id = child<QLineEdit>(&dialog, "ediID");
    auto *label = child<QLabel>(&dialog, "labID");
    auto *time = child<QLineEdit>(&dialog, "ediTime");
    QCOMPARE(label->text(), QStringLiteral("ID (hex):"));
    if (decimalFirst) {
        QTest::mouseDClick(id, Qt::LeftButton);
        QVERIFY(!dialog.hexMode());
    }
    typeInto(id, typed);
    leave(id, time);
    QCOMPARE(id->text(), afterLeaving);

    QTest::mouseDClick(id, Qt::LeftButton);
    QCOMPARE(id->text(), afterSwitching);
    QCOMPARE(dialog.hexMode(), decimalFirst);
    QCOMPARE(dialog.entry().ID, identifier);
    const bool decimal = !dialog.hexMode();
    QCOMPARE(label->text(), decimal ? QStringLiteral("ID(dec):") : QStringLiteral("ID(hex):"));
    QCOMPARE(label->font().bold(), decimal);
    QCOMPARE(id->font().bold(), decimal);
    QCOMPARE(label->palette().color(QPalette::WindowText) == QColor(0, 0x80, 0), decimal);
    QCOMPARE(id->palette().color(QPalette::Text) == QColor(0, 0x80, 0), decimal);
}

void TestEntriesDialog::switchingBaseWithoutLeavingTheField_data()
{
    QTest::addColumn<bool>("decimalFirst");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterSwitching");
    QTest::addColumn<int>("identifier"); // of the entry confirmed after switching
    QTest::newRow("7F hex is capped before it turns decimal") << false << "7F"
                                                              << "63" << 63;
    QTest::newRow("40 hex is capped before it turns decimal") << false << "40"
                                                              << "63" << 63;
    QTest::newRow("3E hex is kept") << false << "3E"
                                    << "62" << 62;
    QTest::newRow("99 decimal is capped before it turns hex") << true << "99"
                                                              << "3F" << 63;
    QTest::newRow("an emptied field switches as 0") << false << ""
                                                    << "0" << 0;
}

void TestEntriesDialog::switchingBaseWithoutLeavingTheField()
{
    QFETCH(bool, decimalFirst);
    QFETCH(QString, typed);
    QFETCH(QString, afterSwitching);
    QFETCH(int, identifier);
    TfEntry dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *id = child<QLineEdit>(&dialog, "ediID");
    if (decimalFirst)
        QTest::mouseDClick(id, Qt::LeftButton);
    typeInto(id, typed);
    QTRY_VERIFY(id->hasFocus());
    QTest::mouseDClick(id, Qt::LeftButton);
    QVERIFY(id->hasFocus()); // still in the field: only the switch ran
    QCOMPARE(dialog.hexMode(), decimalFirst);
    QCOMPARE(id->text(), afterSwitching);
    child<QPushButton>(&dialog, "btbOK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(id->text(), afterSwitching);
    QCOMPARE(int(dialog.entry().ID), identifier);
}

void TestEntriesDialog::timeFieldLimits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterLeaving");
    QTest::newRow("empty") << ""
                           << "5";
    QTest::newRow("in range") << "1234"
                              << "1234";
    QTest::newRow("above 16 bits") << "70000"
                                   << "65535";
    QTest::newRow("highest") << "65535"
                             << "65535";
    QTest::newRow("zero") << "0"
                          << "1";
    QTest::newRow("negative") << "-20"
                              << "1";
}

void TestEntriesDialog::timeFieldLimits()
{
    QFETCH(QString, typed);
    QFETCH(QString, afterLeaving);
    TfEntry dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *time = child<QLineEdit>(&dialog, "ediTime");
    typeInto(time, typed);
    leave(time, child<QLineEdit>(&dialog, "ediID"));
    QCOMPARE(time->text(), afterLeaving);
    QCOMPARE(dialog.entry().Time, afterLeaving.toUInt());
}

void TestEntriesDialog::timeThatIsNoNumberKeepsDialogOpen()
{
    TfEntry dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *time = child<QLineEdit>(&dialog, "ediTime");
    time->setText(QStringLiteral("12x"));

    QString told;
    const auto box = ModalAnswer::of<QMessageBox>([&](QMessageBox *message) {
        told = message->text();
        message->reject();
    });
    child<QPushButton>(&dialog, "btbOK")->click();
    QVERIFY(box->answered());
    QCOMPARE(told, QStringLiteral("'12x' is not a valid integer value"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QTRY_VERIFY(time->hasFocus());

    // Cancel is never held up by the bad text.
    const auto noBox = ModalAnswer::of<QMessageBox>([](QMessageBox *message) { message->reject(); });
    child<QPushButton>(&dialog, "btbCancel")->click();
    QVERIFY(!dialog.isVisible());
    QVERIFY(!noBox->answered());

    time->setText(QStringLiteral("7"));
    dialog.show();
    child<QPushButton>(&dialog, "btbOK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.entry().Time, 7);
}

void TestEntriesDialog::deleteRenumbers_data()
{
    QTest::addColumn<int>("key"); // 0: the Delete button
    QTest::newRow("button") << 0;
    QTest::newRow("Delete key") << int(Qt::Key_Delete);
    QTest::newRow("Backspace key") << int(Qt::Key_Backspace);
}

void TestEntriesDialog::deleteRenumbers()
{
    QFETCH(int, key);
    TfEntries dialog;
    dialog.setEntries(numbered(5));
    auto *list = child<QTableWidget>(&dialog, "lvEntries");
    selectRows(list, {1, 3});
    if (key == 0)
        child<QPushButton>(&dialog, "btbRemove")->click();
    else
        QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(column(list, 0), QStringList({"1", "2", "3"}));
    const std::vector<LIN_SchedulerEntry> left = dialog.entries();
    const std::vector<LIN_SchedulerEntry> expected = {{10, 0}, {30, 2}, {50, 4}};
    QCOMPARE(left == expected, true);
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
}

void TestEntriesDialog::modifySetsEverySelectedRow_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("caption");
    QTest::newRow("three rows") << QList<int>{4, 0, 2} << "Editing multiple entries";
    QTest::newRow("one row") << QList<int>{3} << "Editing entry 4";
}

void TestEntriesDialog::modifySetsEverySelectedRow()
{
    QFETCH(QList<int>, rows);
    QFETCH(QString, caption);
    TfEntries dialog;
    const std::vector<LIN_SchedulerEntry> before = numbered(5);
    dialog.setEntries(before);
    auto *list = child<QTableWidget>(&dialog, "lvEntries");
    selectRows(list, rows);

    QString shownId;
    QString shownTime;
    QString shownCaption;
    QString shownLabel;
    const auto answer = ModalAnswer::of<TfEntry>([&](TfEntry *entry) {
        shownId = child<QLineEdit>(entry, "ediID")->text();
        shownLabel = child<QLabel>(entry, "labID")->text();
        shownTime = child<QLineEdit>(entry, "ediTime")->text();
        shownCaption = child<QLabel>(entry, "labCaption")->text();
        child<QLineEdit>(entry, "ediID")->setText(QStringLiteral("3C"));
        child<QLineEdit>(entry, "ediTime")->setText(QStringLiteral("250"));
        child<QPushButton>(entry, "btbOK")->click();
    });
    child<QPushButton>(&dialog, "btbModify")->click();
    QVERIFY(answer->answered());
    const int first = *std::min_element(rows.cbegin(), rows.cend());
    QCOMPARE(shownId, QStringLiteral("%1").arg(first, 2, 16, QChar('0')).toUpper());
    QCOMPARE(shownTime, QString::number(10 * (first + 1)));
    QCOMPARE(shownCaption, caption);
    // Prefilled in hex, the label reads as it does for a new entry.
    QCOMPARE(shownLabel, QStringLiteral("ID (hex):"));

    const std::vector<LIN_SchedulerEntry> after = dialog.entries();
    QCOMPARE(int(after.size()), 5);
    for (int row = 0; row < 5; ++row) {
        const LIN_SchedulerEntry expected = rows.contains(row) ? LIN_SchedulerEntry{250, 60}
                                                               : before[std::size_t(row)];
        QVERIFY2(after[std::size_t(row)] == expected, qPrintable(QString::number(row)));
    }
    QCOMPARE(column(list, 0), QStringList({"1", "2", "3", "4", "5"}));
}

void TestEntriesDialog::readsBackRowsInOrder()
{
    TfEntries dialog;
    std::vector<LIN_SchedulerEntry> entries = {{100, 10}, {65535, 63}, {1, 0}};
    dialog.setEntries(entries);
    auto *list = child<QTableWidget>(&dialog, "lvEntries");
    QCOMPARE(list->item(0, 1)->text(), QStringLiteral("10 / 0x0A"));
    QCOMPARE(list->item(1, 1)->text(), QStringLiteral("63 / 0x3F"));
    QCOMPARE(column(list, 2), QStringList({"100", "65535", "1"}));

    int index = 0;
    LIN_SchedulerEntry entry;
    QVERIFY(dialog.readEntry(index, entry));
    QCOMPARE(index, 1);
    QCOMPARE(entry.ID, 10);
    QCOMPARE(entry.Time, 100);
    index = 3;
    QVERIFY(!dialog.readEntry(index, entry));
    QVERIFY(dialog.entries() == entries);

    // A full list comes back whole.
    entries = numbered(50);
    dialog.setEntries(entries);
    QVERIFY(dialog.entries() == entries);
}

void TestEntriesDialog::viewOnlyOffersNoChanges()
{
    TfEntries dialog;
    dialog.setEditable(false);
    dialog.setEntries(numbered(3));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *list = child<QTableWidget>(&dialog, "lvEntries");
    for (const char *name : {"btbInsert", "btbModify", "btbRemove", "btbOK"})
        QVERIFY2(!child<QPushButton>(&dialog, name)->isEnabled(), name);
    for (const char *name : {"mniInsert", "mniModify", "mniRemove"})
        QVERIFY2(!child<QAction>(&dialog, name)->isEnabled(), name);

    const auto anyDialog = ModalAnswer::of<QDialog>([](QDialog *opened) { opened->reject(); },
                                                    &dialog);
    child<QAction>(&dialog, "mniSelectAll")->trigger();
    QCOMPARE(list->selectionModel()->selectedRows().size(), 3);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::keyClick(list, Qt::Key_Backspace);
    QCOMPARE(list->rowCount(), 3);
    QVERIFY(!anyDialog->answered());

    QTest::keyClick(list, Qt::Key_Return);
    dialog.accept();
    QVERIFY(dialog.isVisible());
    child<QPushButton>(&dialog, "btbCancel")->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestEntriesDialog::screenshots()
{
    TfEntries editable;
    editable.setEntries({{5, 0}, {10, 10}, {20, 0x21}, {100, 0x3C}, {65535, 0x3F}});
    editable.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editable));
    QVERIFY(!vxl::test::saveScreenshot(&editable, QStringLiteral("scheduler_entries")).isEmpty());

    TfEntries viewOnly;
    viewOnly.setEditable(false);
    viewOnly.setEntries(numbered(12));
    viewOnly.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewOnly));
    QVERIFY(!vxl::test::saveScreenshot(&viewOnly, QStringLiteral("scheduler_entries_view_only"))
                 .isEmpty());

    TfEntry entry;
    entry.setEntry({250, 0x2A}, 3, true);
    entry.show();
    QVERIFY(QTest::qWaitForWindowExposed(&entry));
    QVERIFY(!vxl::test::saveScreenshot(&entry, QStringLiteral("scheduler_entry_hex")).isEmpty());
    QTest::mouseDClick(child<QLineEdit>(&entry, "ediID"), Qt::LeftButton);
    QVERIFY(!vxl::test::saveScreenshot(&entry, QStringLiteral("scheduler_entry_decimal")).isEmpty());
}

QTEST_MAIN(TestEntriesDialog)
#include "tst_entries_dialog.moc"
