// The slave ID/data editor driven through its widgets on an offscreen display.

#include "core/editing/profile_fields.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/dialogs/slave_id_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vxl;
using vxl::test::child;

namespace {

LIN_Group sourceRecord()
{
    LIN_Group lin = ModuleConfig::NewProfile().LIN;
    lin.SlaveIdData = LIN_FrameEntry{1, 0x3F, 8, {1, 2, 3, 4, 5, 6, 7, 8}};
    SetNibble(lin.FrameLengths, 16, 3);
    SetNibble(lin.FrameLengths, 5, 15);
    return lin;
}

struct Shown
{
    explicit Shown(bool editable = true)
        : dialog(nullptr, editable)
    {
        dialog.fill(sourceRecord());
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            qFatal("dialog not shown");
    }
    QLineEdit *field(const char *name) { return child<QLineEdit>(&dialog, name); }
    QLineEdit *data(int i) { return field(qPrintable(QStringLiteral("ediP0%1").arg(i))); }
    QPushButton *ok() { return child<QPushButton>(&dialog, "btbOK"); }
    void retype(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    int openDataFields()
    {
        int open = 0;
        for (int i = 0; i < kFrameDataBytes; ++i) {
            const bool enabled = data(i)->isEnabled();
            if (enabled
                != child<QLabel>(&dialog, qPrintable(QStringLiteral("laP0%1").arg(i)))->isEnabled())
                return -1;
            open += enabled && open == i ? 1 : 0;
        }
        return open;
    }
    TfSlaveIDConfig dialog;
};

} // namespace

class TestSlaveIdDialog : public QObject
{
    Q_OBJECT

private slots:
    void filledFromTheRecord();
    void idDecidesTheDataFields_data();
    void idDecidesTheDataFields();
    void keysAndPadding();
    void results();
    void viewOnly();
};

void TestSlaveIdDialog::filledFromTheRecord()
{
    Shown shown;
    QCOMPARE(shown.field("ediID")->text(), QStringLiteral("3F"));
    QVERIFY(child<QRadioButton>(&shown.dialog, "rdbEnabled")->isChecked());
    for (int i = 0; i < kFrameDataBytes; ++i)
        QCOMPARE(shown.data(i)->text(), HexText(std::uint32_t(i + 1), 2));
    QCOMPARE(shown.openDataFields(), 8);
    QVERIFY(shown.ok()->isEnabled());
    vxl::test::saveScreenshot(&shown.dialog, "slave_id_dialog");
}

void TestSlaveIdDialog::idDecidesTheDataFields_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("open");
    QTest::addColumn<bool>("okEnabled");
    QTest::newRow("10: frame length 3") << "10" << 3 << true;
    QTest::newRow("05: length entry 15 opens eight") << "05" << 8 << true;
    QTest::newRow("2F: default length 4") << "2F" << 4 << true;
    QTest::newRow("40: beyond the table") << "40" << 0 << false;
    QTest::newRow("FF: beyond the table") << "FF" << 0 << false;
    QTest::newRow("3F") << "3F" << 8 << true;
}

void TestSlaveIdDialog::idDecidesTheDataFields()
{
    QFETCH(QString, id);
    QFETCH(int, open);
    QFETCH(bool, okEnabled);
    Shown shown;
    shown.retype(shown.field("ediID"), id);
    QCOMPARE(shown.openDataFields(), open);
    QCOMPARE(shown.ok()->isEnabled(), okEnabled);
    if (okEnabled)
        return;
    // Neither OK nor Enter confirms an identifier beyond the table.
    QTest::keyClick(shown.field("ediID"), Qt::Key_Return);
    shown.dialog.accept();
    QVERIFY(shown.dialog.isVisible());
    shown.retype(shown.field("ediID"), "3F");
    QVERIFY(shown.ok()->isEnabled());
}

void TestSlaveIdDialog::keysAndPadding()
{
    Shown shown;
    QLineEdit *field = shown.data(2);
    shown.retype(field, "g");
    QCOMPARE(field->text(), QString());
    QTest::keyClicks(field, "a");
    QCOMPARE(field->text(), QStringLiteral("A"));
    shown.data(3)->setFocus();
    QCOMPARE(field->text(), QStringLiteral("0A"));
    shown.retype(shown.data(3), "5");
    shown.data(4)->setFocus();
    QCOMPARE(shown.data(3)->text(), QStringLiteral("05"));
    shown.retype(shown.data(4), "");
    shown.field("ediID")->setFocus();
    QCOMPARE(shown.data(4)->text(), QStringLiteral("00"));
}

void TestSlaveIdDialog::results()
{
    Shown shown;
    shown.retype(shown.field("ediID"), "a");
    QTest::mouseClick(child<QRadioButton>(&shown.dialog, "rdbDisabled"), Qt::LeftButton);
    shown.retype(shown.data(1), "c");
    QTest::mouseClick(shown.ok(), Qt::LeftButton);
    QCOMPARE(shown.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(shown.dialog.idText(), QStringLiteral("0A"));
    QVERIFY(!shown.dialog.isEnabledChosen());
    QCOMPARE(shown.dialog.dataText(), QStringLiteral("010C030405060708"));
}

void TestSlaveIdDialog::viewOnly()
{
    Shown shown(false);
    QVERIFY(shown.field("ediID")->isReadOnly());
    QVERIFY(shown.data(0)->isReadOnly());
    QVERIFY(!child<QRadioButton>(&shown.dialog, "rdbEnabled")->isEnabled());
    QVERIFY(!child<QRadioButton>(&shown.dialog, "rdbDisabled")->isEnabled());
    QVERIFY(!shown.ok()->isEnabled());
    QTest::keyClicks(shown.field("ediID"), "1");
    QCOMPARE(shown.field("ediID")->text(), QStringLiteral("3F"));
    QTest::keyClick(&shown.dialog, Qt::Key_Return);
    shown.dialog.accept();
    QVERIFY(shown.dialog.isVisible());
    QCOMPARE(shown.dialog.result(), int(QDialog::Rejected));
    vxl::test::saveScreenshot(&shown.dialog, "slave_id_dialog_view_only");
}

QTEST_MAIN(TestSlaveIdDialog)
#include "tst_slave_id_dialog.moc"
