// The CAN acceptance filter calculator driven through its widgets on an offscreen display.

#include "modal_answer.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/dialogs/can_filter_dialog.h"
#include "ui/dialogs/message_box.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vxl;
using vxl::test::child;
using vxl::test::ModalAnswer;

namespace {

struct Shown
{
    Shown(std::uint32_t code = 0, std::uint32_t mask = 0xFFFFFFFF)
        : dialog(nullptr, code, mask)
    {
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            qFatal("dialog not shown");
    }
    QLineEdit *field(const char *name) { return child<QLineEdit>(&dialog, name); }
    QPushButton *button(const char *name) { return child<QPushButton>(&dialog, name); }
    void type(const char *name, const QString &text)
    {
        QLineEdit *edit = field(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void leave() { button("btbCancel")->setFocus(); }
    QString registers(const char *prefix)
    {
        QStringList bytes;
        for (int n = 0; n < 4; ++n)
            bytes << field(qPrintable(QStringLiteral("%1%2").arg(prefix).arg(n)))->text();
        return bytes.join(' ');
    }
    TfCanFilterConfig dialog;
};

} // namespace

class TestCanFilterDialog : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples();
    void fieldRules_data();
    void fieldRules();
    void rangeBackwardsIsRefused();
    void openModeCannotBeConfirmed();
    void displayAsConverts();
    void registerFieldsEditDirectly();
    void screenshots();
};

void TestCanFilterDialog::workedExamples_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("mask");
    QTest::newRow("11 range 100-1FF data") << "11"
                                           << "100"
                                           << "1FF"
                                           << "Data"
                                           << "20 00 00 00"
                                           << "1F EF FF FF";
    QTest::newRow("11 full data") << "11"
                                  << "000"
                                  << "7FF"
                                  << "Data"
                                  << "00 00 00 00"
                                  << "FF EF FF FF";
    QTest::newRow("11 single RTR") << "11"
                                   << "123"
                                   << "123"
                                   << "RTR"
                                   << "24 70 00 00"
                                   << "00 0F FF FF";
    QTest::newRow("11 single both") << "11"
                                    << "123"
                                    << "123"
                                    << "Both"
                                    << "24 60 00 00"
                                    << "00 1F FF FF";
    QTest::newRow("29 range data") << "29"
                                   << "00000100"
                                   << "000001FF"
                                   << "Data"
                                   << "00 00 08 00"
                                   << "00 00 07 FB";
    QTest::newRow("identifier level") << "Monitor"
                                      << "123"
                                      << "00F"
                                      << ""
                                      << "24 60 00 00"
                                      << "01 FF FF FF";
}

void TestCanFilterDialog::workedExamples()
{
    QFETCH(QString, mode);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, kind);
    QFETCH(QString, code);
    QFETCH(QString, mask);
    Shown shown(0x11223344, 0x55667788);
    if (mode == QLatin1String("Monitor")) {
        QTest::mouseClick(shown.button("spbMonitor"), Qt::LeftButton);
        shown.type("cxtAccCode", from);
        shown.type("cxtAccMask", to);
        QTest::mouseClick(shown.button("btbApplyMonitor"), Qt::LeftButton);
    } else {
        QTest::mouseClick(shown.button(qPrintable("spb" + mode + "Bits")), Qt::LeftButton);
        shown.type(qPrintable("cxtFrom" + mode + "ID"), from);
        shown.type(qPrintable("cxtTo" + mode + "ID"), to);
        QTest::mouseClick(child<QRadioButton>(&shown.dialog, qPrintable("rdb" + kind + mode)),
                          Qt::LeftButton);
        QTest::mouseClick(shown.button(qPrintable("btbApply" + mode)), Qt::LeftButton);
    }
    QCOMPARE(shown.registers("cxtCode"), code);
    QCOMPARE(shown.registers("cxtMask"), mask);
    // Applying releases the mode: the dialog can be confirmed again.
    QVERIFY(shown.button("btbOK")->isEnabled());
    QVERIFY(
        !shown.button(qPrintable("spb" + (mode == "Monitor" ? mode : mode + "Bits")))->isChecked());
    QTest::mouseClick(shown.button("btbOK"), Qt::LeftButton);
    QCOMPARE(shown.dialog.result(), int(QDialog::Accepted));
    const auto value = [](const QString &text) {
        std::uint32_t v = 0;
        const QStringList bytes = text.split(' ');
        for (int n = 0; n < 4; ++n)
            v |= bytes.at(n).toUInt(nullptr, 16) << (8 * n);
        return v;
    };
    QCOMPARE(shown.dialog.acceptanceCode(), value(code));
    QCOMPARE(shown.dialog.acceptanceMask(), value(mask));
}

void TestCanFilterDialog::fieldRules_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("11 to FFF") << "spb11Bits"
                               << "cxtTo11ID"
                               << "FFF"
                               << "7FF";
    QTest::newRow("29 to FFFFFFFF") << "spb29Bits"
                                    << "cxtTo29ID"
                                    << "FFFFFFFF"
                                    << "1FFFFFFF";
    QTest::newRow("lower case") << "spb11Bits"
                                << "cxtFrom11ID"
                                << "a"
                                << "00A";
    QTest::newRow("not hex") << "spb11Bits"
                             << "cxtFrom11ID"
                             << "xg1"
                             << "001";
    QTest::newRow("empty") << "spb29Bits"
                           << "cxtFrom29ID"
                           << ""
                           << "00000000";
    QTest::newRow("identifier level unlimited") << "spbMonitor"
                                                << "cxtAccMask"
                                                << "fff"
                                                << "FFF";
}

void TestCanFilterDialog::fieldRules()
{
    QFETCH(QString, mode);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Shown dialog;
    QTest::mouseClick(dialog.button(qPrintable(mode)), Qt::LeftButton);
    dialog.type(qPrintable(field), typed);
    dialog.leave();
    QCOMPARE(dialog.field(qPrintable(field))->text(), shown);
}

void TestCanFilterDialog::rangeBackwardsIsRefused()
{
    Shown shown(0x11223344, 0x55667788);
    QTest::mouseClick(shown.button("spb11Bits"), Qt::LeftButton);
    shown.type("cxtFrom11ID", "200");
    shown.type("cxtTo11ID", "1FF");
    QString told;
    auto answer = ModalAnswer::of<TfMsg>([&told](TfMsg *box) {
        told = child<QLabel>(box, "laText")->text();
        box->reject();
    });
    QTest::mouseClick(shown.button("btbApply11"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(answer->answered(), 5000);
    QVERIFY(told.contains("The last ID of the range must be equal or greater than the first ID"));
    QCOMPARE(shown.registers("cxtCode"), QStringLiteral("44 33 22 11"));
    QCOMPARE(shown.registers("cxtMask"), QStringLiteral("88 77 66 55"));
    QVERIFY(shown.button("spb11Bits")->isChecked());
    QVERIFY(!shown.button("btbOK")->isEnabled());
}

void TestCanFilterDialog::openModeCannotBeConfirmed()
{
    Shown shown;
    QTest::mouseClick(shown.button("spb29Bits"), Qt::LeftButton);
    QVERIFY(child<QWidget>(&shown.dialog, "pan29Bits")->isVisible());
    QVERIFY(!shown.button("btbOK")->isEnabled());
    QVERIFY(!shown.field("cxtCode0")->isEnabled());
    QVERIFY(!shown.field("cxtMask3")->isEnabled());
    shown.dialog.accept();
    QTest::keyClick(&shown.dialog, Qt::Key_Return);
    QVERIFY(shown.dialog.isVisible());
    // Another mode replaces the open one; pressing it again closes it.
    QTest::mouseClick(shown.button("spb11Bits"), Qt::LeftButton);
    QVERIFY(!shown.button("spb29Bits")->isChecked());
    QVERIFY(!child<QWidget>(&shown.dialog, "pan29Bits")->isVisible());
    QTest::mouseClick(shown.button("spb11Bits"), Qt::LeftButton);
    QVERIFY(!child<QWidget>(&shown.dialog, "pan11Bits")->isVisible());
    QVERIFY(shown.button("btbOK")->isEnabled());
    QVERIFY(shown.field("cxtCode0")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), shown.field("cxtCode0"));
}

void TestCanFilterDialog::displayAsConverts()
{
    // Registers of identifier-level code 0x123, mask 0x00F (11 bits).
    Shown shown(0x00006024, 0xFFFFFF01);
    QTest::mouseClick(shown.button("spbMonitor"), Qt::LeftButton);
    QCOMPARE(shown.field("cxtAccCode")->text(), QStringLiteral("123"));
    QCOMPARE(shown.field("cxtAccMask")->text(), QStringLiteral("00F"));
    QTest::mouseClick(child<QRadioButton>(&shown.dialog, "rdb29Bits"), Qt::LeftButton);
    QCOMPARE(shown.field("cxtAccCode")->text(), QStringLiteral("048C0000"));
    QCOMPARE(shown.field("cxtAccMask")->text(), QStringLiteral("003FFFFF"));
    QTest::mouseClick(child<QRadioButton>(&shown.dialog, "rdb11Bits"), Qt::LeftButton);
    QCOMPARE(shown.field("cxtAccCode")->text(), QStringLiteral("123"));
    QCOMPARE(shown.field("cxtAccMask")->text(), QStringLiteral("00F"));
}

void TestCanFilterDialog::registerFieldsEditDirectly()
{
    Shown shown(0x11223344, 0x55667788);
    QCOMPARE(QApplication::focusWidget(), shown.field("cxtCode0"));
    // A full field hands on to the next one.
    shown.type("cxtCode1", "ab");
    QCOMPARE(shown.field("cxtCode1")->text(), QStringLiteral("AB"));
    QVERIFY(!shown.field("cxtCode1")->hasFocus());
    shown.type("cxtMask3", "5");
    shown.leave();
    QCOMPARE(shown.field("cxtMask3")->text(), QStringLiteral("05"));
    QTest::mouseClick(shown.button("btbOK"), Qt::LeftButton);
    QCOMPARE(shown.dialog.acceptanceCode(), 0x1122AB44u);
    QCOMPARE(shown.dialog.acceptanceMask(), 0x05667788u);
}

void TestCanFilterDialog::screenshots()
{
    Shown shown(0x00006024, 0xFFFFFF01);
    vxl::test::saveScreenshot(&shown.dialog, "can_filter_dialog");
    for (const char *mode : {"spb11Bits", "spb29Bits", "spbMonitor"}) {
        QTest::mouseClick(shown.button(mode), Qt::LeftButton);
        QTest::qWait(20);
        QVERIFY(
            !vxl::test::saveScreenshot(&shown.dialog,
                                       QStringLiteral("can_filter_dialog_") + QLatin1String(mode))
                 .isEmpty());
    }
}

QTEST_MAIN(TestCanFilterDialog)
#include "tst_can_filter_dialog.moc"
