// Values the module refuses to report (a one-byte return code where a longer value belongs)
// against the emulator: a profile made from the module holds the default document's value for
// each and says so once; a one-byte value is its own byte and stays.

#include "core/operations/module_read.h"
#include "core/operations/operations.h"
#include "core/profiles/profile_document.h"
#include "ops_fixture.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vxl;
using namespace vxl::test;

namespace {

const QString kIntro = QStringLiteral(
    "The module did not give these values; the profile holds their default values:");
const QString kSlaveSim = QStringLiteral("S-VXL-LIN 1.0");
const QString kVdo = QStringLiteral("VXL-LIN-G 1.0");

ModuleConfig defaultDocument()
{
    clsVLINXMLProfile document;
    ModuleConfig config = ModuleConfig::NewProfile();
    if (!document.LoadDefault()
        || !document.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN))
        qFatal("the default document does not read");
    return config;
}

QString frameText(const LIN_FrameEntry &frame)
{
    QStringList data;
    for (auto b : frame.Data)
        data << QString::number(b);
    return QStringLiteral("%1/%2/%3").arg(frame.Active).arg(frame.ID).arg(data.join(','));
}

QString schedulerText(const LIN_Group &lin)
{
    QStringList entries;
    for (int i = 0; i < lin.SchedulerCount; ++i)
        entries << QStringLiteral("%1@%2")
                       .arg(lin.SchedulerEntries[std::size_t(i)].ID)
                       .arg(lin.SchedulerEntries[std::size_t(i)].Time);
    return entries.join(' ');
}

// The value a row looks at, as text.
QString valueOf(const ModuleConfig &config, const QString &name)
{
    const auto &lin = config.LIN;
    if (name == "CAN bit rate")
        return QString::number(config.CAN.Baudrate);
    if (name == "length of frame 32")
        return QString::number(GetNibble(lin.FrameLengths, 32));
    if (name == "frame 5")
        return frameText(lin.Frames[5]);
    if (name == "scheduler")
        return schedulerText(lin);
    if (name == "slave activation ID")
        return QString::number(lin.SlaveActivationId);
    if (name == "LIN filter mask")
        return QString::number(lin.FilterMask);
    return QStringLiteral("no such value: ") + name;
}

void customise(ModuleConfig &config)
{
    config.CAN.Baudrate = 0x0114;
    auto &lin = config.LIN;
    SetNibble(lin.FrameLengths, 32, 7);
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = lin.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Active = 1;
        frame.Data.fill(std::uint8_t(0x40 + i));
    }
    lin.SlaveActivationId = 0x40000321;
    lin.SchedulerCount = 3;
    lin.SchedulerEntries[0] = {10, 0x01};
    lin.SchedulerEntries[1] = {20, 0x22};
    lin.SchedulerEntries[2] = {300, 0x3D};
}

} // namespace

class TestRefusedValues : public QObject
{
    Q_OBJECT

private slots:
    void newFromModuleTakesDefaults_data();
    void newFromModuleTakesDefaults();
    void savedModuleDataTakesDefaults();
};

void TestRefusedValues::newFromModuleTakesDefaults_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("nth"); // the nth request of group/command is refused; 0: every one
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected"); // "default": the default document's
    QTest::addColumn<QString>("line");     // empty: no box

    QTest::newRow("two-byte value") << kSlaveSim << 1 << 11 << 0 << 9 << "CAN bit rate"
                                    << "default"
                                    << "CAN: Bit rate";
    // The third of the four blocks (identifiers 32 to 47); the fourth is answered after it.
    QTest::newRow("frame-length block") << kSlaveSim << 2 << 27 << 3 << 9 << "length of frame 32"
                                        << "default"
                                        << "Frame Configuration: Length";
    // The first 2/25 is the slave ID data, then identifier 0, 1, ...
    QTest::newRow("per-identifier entry") << kSlaveSim << 2 << 25 << 7 << 9 << "frame 5"
                                          << "default"
                                          << "Frame Configuration: ID 5 / 0x05";
    QTest::newRow("scheduler entry") << kSlaveSim << 2 << 21 << 2 << 9 << "scheduler"
                                     << "1@10 61@300"
                                     << "Scheduler Entries: Index 2";
    // Not a slave-simulation build: the module has no slave activation ID to give.
    QTest::newRow("slave activation ID") << kVdo << 0 << 0 << 0 << 0 << "slave activation ID"
                                         << "default"
                                         << "CAN ID For Slave Activation";
    QTest::newRow("one-byte value is the value")
        << kSlaveSim << 2 << 13 << 0 << 9 << "LIN filter mask"
        << "9" << QString();
    QTest::newRow("scheduler count 6 is an empty scheduler")
        << kSlaveSim << 2 << 20 << 0 << 6 << "scheduler" << QString() << QString();
}

void TestRefusedValues::newFromModuleTakesDefaults()
{
    QFETCH(QString, hardware);
    QFETCH(int, group);
    QFETCH(int, command);
    QFETCH(int, nth);
    QFETCH(int, code);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QFETCH(QString, line);
    sim::EmulatorOptions options;
    options.identity = {hardware, QStringLiteral("01.02.15")};
    OpsRig rig(options);
    rig.host().withModel([&](sim::ModuleModel &m) {
        customise(m.Config());
        if (group == 0)
            return;
        if (nth == 0)
            m.ForceReturnCode(group, command, std::uint8_t(code));
        else
            m.ForceReturnCodeOnce(group, command, nth, std::uint8_t(code));
    });
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    rig.op().view = View::ModuleData;
    rig.ops().Reader().NewFromModule();
    QVERIFY(rig.waitIdle());

    QCOMPARE(rig.op().newProfiles.size(), std::size_t(1));
    const ModuleConfig &profile = rig.op().newProfiles.front();
    if (expected == "default")
        expected = valueOf(defaultDocument(), value);
    QCOMPARE(valueOf(profile, value), expected);
    const QStringList informations = rig.op().boxTexts(BoxKind::Information);
    if (line.isEmpty())
        QCOMPARE(informations, QStringList());
    else
        QCOMPARE(informations, QStringList{kIntro + '\n' + line});
}

// The module data view's "Save" writes the default for a refused value and says so after the
// save.
void TestRefusedValues::savedModuleDataTakesDefaults()
{
    QTemporaryDir dir;
    OpsRig rig;
    rig.host().withModel([](sim::ModuleModel &m) {
        customise(m.Config());
        m.ForceReturnCode(0, 11, 9);
        m.ForceReturnCode(1, 13, 9);
    });
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    const QString path = dir.filePath(QStringLiteral("CurrentValues.vxlin"));
    rig.op().saveFileAnswer = path;
    rig.ops().Reader().SaveModuleDataAsProfile();

    clsVLINXMLProfile document;
    QVERIFY(document.OpenFile(path));
    ModuleConfig saved = ModuleConfig::NewProfile();
    QVERIFY(document.ReadAll(&saved.RS232.Baudrate, &saved.CAN, &saved.LIN));
    const ModuleConfig defaults = defaultDocument();
    QCOMPARE(saved.RS232.Baudrate, defaults.RS232.Baudrate);
    QCOMPARE(saved.CAN.FilterMask, defaults.CAN.FilterMask);
    QCOMPARE(saved.LIN.SlaveActivationId, defaults.LIN.SlaveActivationId);
    QCOMPARE(saved.CAN.Baudrate, std::uint16_t(0x0114));
    QCOMPARE(rig.op().boxTexts(BoxKind::Information),
             (QStringList{"Current module data was saved as \"CurrentValues.vxlin\"",
                          kIntro
                              + "\nRS-232: Bit rate\nCAN: Filter Mask\nCAN ID For Slave "
                                "Activation"}));
}

QTEST_GUILESS_MAIN(TestRefusedValues)
#include "tst_refused_values.moc"
