// The connection dialog against real COM numbers: temporary port folders, emulated modules on
// ptys, and a device the kernel refuses to open.

#include "core/link/serial_port.h"
#include "sim/emulator_host.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/dialogs/connect_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <unistd.h>

using namespace vxl;

using vxl::test::child;

namespace {

QStringList items(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Modules on ptys registered as COM numbers in one temporary folder, which is the only place
// the dialog looks (no Wine folder, no /dev).
class PortFolder
{
public:
    explicit PortFolder(const QList<int> &numbers)
    {
        for (const int number : numbers) {
            sim::EmulatorOptions options;
            options.comNumber = number;
            options.dosDevices = m_dir.path();
            auto host = std::make_unique<sim::EmulatorHost>(options);
            if (!host->start())
                qFatal("emulator on COM%d did not start", number);
            m_hosts.push_back(std::move(host));
        }
    }

    [[nodiscard]] ComPortMap map() const
    {
        return ComPortMap(ComPortRoots{m_dir.path(), m_wine.path(), QStringLiteral("/nonexistent")});
    }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    sim::EmulatorHost &host(int index) { return *m_hosts.at(std::size_t(index)); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_wine;
    std::vector<std::unique_ptr<sim::EmulatorHost>> m_hosts;
};

} // namespace

class TestConnectDialog : public QObject
{
    Q_OBJECT

private slots:
    void noPort_data();
    void noPort();
    void preselection_data();
    void preselection();
    void refreshDropsPortHeldElsewhere();
    void bitRate_data();
    void bitRate();
    void okAndCancel();
    void refusedPortsNamed();
};

void TestConnectDialog::noPort_data()
{
    QTest::addColumn<int>("scanCount");
    QTest::addColumn<QString>("caption");
    QTest::newRow("default scan count") << 128 << "Connect... (scanning 128 ports)";
    QTest::newRow("one port") << 1 << "Connect... (scanning 1 ports)";
    // The count is a byte in the settings: more cannot be scanned.
    QTest::newRow("above a byte") << 1000 << "Connect... (scanning 255 ports)";
}

void TestConnectDialog::noPort()
{
    QFETCH(int, scanCount);
    QFETCH(QString, caption);
    const PortFolder ports({});
    TfInitConnect dialog(nullptr, scanCount, 3, ports.map());
    auto *list = child<QComboBox>(&dialog, "cbAvaConnect");
    QCOMPARE(items(list), QStringList{"None"});
    QCOMPARE(list->currentText(), QStringLiteral("None"));
    QVERIFY(!child<QPushButton>(&dialog, "btbOK")->isEnabled());
    QVERIFY(child<QPushButton>(&dialog, "btbCancel")->isEnabled());
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.chosenPort(), 0);
    QVERIFY(child<QLabel>(&dialog, "laRefusedPorts")->isHidden());

    // A new scan shows that it is searching, then the result.
    QSignalSpy titles(&dialog, &QWidget::windowTitleChanged);
    QTest::mouseClick(child<QPushButton>(&dialog, "btbRefresh"), Qt::LeftButton);
    QCOMPARE(titles.size(), 2);
    QCOMPARE(titles.at(0).at(0).toString(), QStringLiteral("Searching available ports... wait"));
    QCOMPARE(titles.at(1).at(0).toString(), caption);
    QCOMPARE(items(list), QStringList{"None"});

    if (scanCount == 128) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!test::saveScreenshot(&dialog, QStringLiteral("connect_dialog_none")).isEmpty());
    }
}

void TestConnectDialog::preselection_data()
{
    QTest::addColumn<int>("preselect");
    QTest::addColumn<QString>("selected");
    QTest::newRow("stored port listed") << 7 << "7";
    QTest::newRow("first port stored") << 3 << "3";
    QTest::newRow("stored port gone") << 9 << "3";
    QTest::newRow("no stored port") << 0 << "3";
}

void TestConnectDialog::preselection()
{
    QFETCH(int, preselect);
    QFETCH(QString, selected);
    PortFolder ports({3, 7});
    TfInitConnect dialog(nullptr, 128, preselect, ports.map());
    auto *list = child<QComboBox>(&dialog, "cbAvaConnect");
    QCOMPARE(items(list), (QStringList{"3", "7"}));
    QCOMPARE(list->currentText(), selected);
    QCOMPARE(dialog.chosenPort(), selected.toInt());
    QVERIFY(child<QPushButton>(&dialog, "btbOK")->isEnabled());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect... (scanning 128 ports)"));

    // The label names the device the chosen number opens, following the selection.
    auto *device = child<QLabel>(&dialog, "laDevicePath");
    const int index = selected == "3" ? 0 : 1;
    QCOMPARE(device->text(),
             QStringLiteral("COM%1 = %2").arg(selected, ports.host(index).devicePath()));
    list->setCurrentIndex(1 - index);
    QCOMPARE(device->text(),
             QStringLiteral("COM%1 = %2")
                 .arg(list->currentText(), ports.host(1 - index).devicePath()));

    if (preselect == 7) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!test::saveScreenshot(&dialog, QStringLiteral("connect_dialog_ports")).isEmpty());
    }
}

void TestConnectDialog::refreshDropsPortHeldElsewhere()
{
    PortFolder ports({3, 7});
    TfInitConnect dialog(nullptr, 16, 7, ports.map());
    auto *list = child<QComboBox>(&dialog, "cbAvaConnect");
    QCOMPARE(list->currentText(), QStringLiteral("7"));

    // Another program opens COM7: it is no longer offered, and the preselection falls back.
    clsSrlPort other(ports.map());
    QVERIFY(other.OpenPort(7, 38400));
    QTest::mouseClick(child<QPushButton>(&dialog, "btbRefresh"), Qt::LeftButton);
    QCOMPARE(items(list), QStringList{"3"});
    QCOMPARE(dialog.chosenPort(), 3);

    other.ClosePort();
    dialog.setScanCount(16);
    QCOMPARE(items(list), (QStringList{"3", "7"}));
    QCOMPARE(dialog.chosenPort(), 7);

    // Fewer numbers scanned: COM7 lies beyond them.
    dialog.setScanCount(5);
    QCOMPARE(items(list), QStringList{"3"});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect... (scanning 5 ports)"));
}

void TestConnectDialog::bitRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("chosen");
    QTest::newRow("lowest") << 4800 << "4800 bit/s" << 4800;
    QTest::newRow("19200") << 19200 << "19200 bit/s" << 19200;
    QTest::newRow("highest") << 115200 << "115200 bit/s" << 115200;
    QTest::newRow("not offered") << 14400 << "38400 bit/s" << 38400;
    QTest::newRow("zero") << 0 << "38400 bit/s" << 38400;
    QTest::newRow("negative") << -9600 << "38400 bit/s" << 38400;
}

void TestConnectDialog::bitRate()
{
    QFETCH(int, rate);
    QFETCH(QString, shown);
    QFETCH(int, chosen);
    const PortFolder ports({});
    TfInitConnect dialog(nullptr, 4, 1, ports.map());
    auto *rates = child<QComboBox>(&dialog, "cbBaudR");
    QCOMPARE(items(rates),
             (QStringList{"4800 bit/s",
                          "9600 bit/s",
                          "19200 bit/s",
                          "38400 bit/s",
                          "57600 bit/s",
                          "115200 bit/s"}));
    QCOMPARE(rates->toolTip(), QStringLiteral("Allowed COM bitrates for a VEXA-LIN connection"));
    // Start from a rate other than the fallback, so the fallback is really chosen.
    dialog.selectBitRate(9600);
    dialog.selectBitRate(rate);
    QCOMPARE(rates->currentText(), shown);
    QCOMPARE(dialog.chosenRate(), chosen);
}

void TestConnectDialog::okAndCancel()
{
    PortFolder ports({3, 7});
    TfInitConnect dialog(nullptr, 128, 3, ports.map());
    auto *ok = child<QPushButton>(&dialog, "btbOK");
    auto *cancel = child<QPushButton>(&dialog, "btbCancel");
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->toolTip(), QStringLiteral("Applies the changes and close this window "));
    QCOMPARE(cancel->toolTip(), QStringLiteral("Discards changes and/or close this window "));
    QCOMPARE(child<QPushButton>(&dialog, "btbRefresh")->toolTip(),
             QStringLiteral("Searchs for available COM ports "));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // The user picks COM7 and 57600 bit/s from the lists and presses Return (OK is default).
    auto *list = child<QComboBox>(&dialog, "cbAvaConnect");
    auto *rates = child<QComboBox>(&dialog, "cbBaudR");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    rates->setFocus();
    QTest::keyClick(rates, Qt::Key_Down);
    QCOMPARE(dialog.chosenPort(), 7);
    QCOMPARE(dialog.chosenRate(), 57600);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.isHidden());

    // Shown again, it keeps its list and choice; Escape cancels.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.chosenPort(), 7);
    QCOMPARE(dialog.chosenRate(), 57600);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestConnectDialog::refusedPortsNamed()
{
    PortFolder ports({7});
    // A device that exists but may not be opened for reading and writing. Root passes every
    // permission check on ordinary files; a read-only kernel attribute refuses root as well.
    QString refusedDevice = QStringLiteral("/sys/kernel/uevent_seqnum");
    QTemporaryDir scratch;
    if (::geteuid() != 0) {
        refusedDevice = scratch.filePath(QStringLiteral("ttyLocked"));
        QFile file(refusedDevice);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::Permissions()));
    }
    if (!QFileInfo::exists(refusedDevice))
        QSKIP("no device that refuses access on this machine");
    for (const int number : {2, 4})
        QVERIFY(QFile::link(refusedDevice, ports.path() + QStringLiteral("/com%1").arg(number)));

    TfInitConnect dialog(nullptr, 128, 2, ports.map());
    QCOMPARE(items(child<QComboBox>(&dialog, "cbAvaConnect")), QStringList{"7"});
    auto *note = child<QLabel>(&dialog, "laRefusedPorts");
    QVERIFY(!note->isHidden());
    QCOMPARE(note->text(),
             QStringLiteral("2 ports were refused for lack of permission.\n"
                            "Membership of the group \"dialout\" gives access."));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!test::saveScreenshot(&dialog, QStringLiteral("connect_dialog_refused")).isEmpty());

    QVERIFY(QFile::remove(ports.path() + QStringLiteral("/com4")));
    dialog.setScanCount(128);
    QCOMPARE(note->text(),
             QStringLiteral("1 port was refused for lack of permission.\n"
                            "Membership of the group \"dialout\" gives access."));
}

QTEST_MAIN(TestConnectDialog)
#include "tst_connect_dialog.moc"
