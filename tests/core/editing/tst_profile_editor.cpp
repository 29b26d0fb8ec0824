// The profile editor without widgets: the tree's captions, what selecting a node puts into the
// editing controls, and what "Set" and "Default" store in the profile copy.

#include "core/editing/profile_editor_model.h"
#include "core/editing/profile_fields.h"

#include <QtTest>

using namespace vxl;

Q_DECLARE_METATYPE(vxl::EditorControls)

namespace {

// A profile with a value other than the new profile's in every node.
ModuleConfig unusualProfile()
{
    ModuleConfig p = ModuleConfig::NewProfile();
    p.RS232.Baudrate = 57600;
    p.CAN.Active = 0;
    p.CAN.Baudrate = 0x1234;
    p.CAN.ForwardMask = 0x86;
    p.CAN.FilterMask = 0x12345678;
    p.CAN.FilterCode = 0x9ABCDEF0;
    p.CAN.IdOffset = 0x80000123;
    p.CAN.ErrorId = 0x7AB;
    p.LIN.Active = 0;
    p.LIN.Baudrate = 10400;
    p.LIN.ForwardMask = 0xC5;
    p.LIN.FilterMask = 0x3C;
    p.LIN.FilterCode = 0xA5;
    p.LIN.MasterStatus = 1;
    p.LIN.BusTermination = 1;
    p.LIN.SchedulerCount = 3;
    p.LIN.SlaveIdData = LIN_FrameEntry{1, 0x10, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    p.LIN.SlaveActivationId = 0xC0000456;
    return p;
}

// The stored value a node edits.
std::uint32_t storedValue(const ModuleConfig &p, int node)
{
    switch (node) {
    case 1:
        return p.RS232.Baudrate;
    case 3:
        return p.CAN.Active;
    case 4:
        return p.CAN.Baudrate;
    case 5:
        return p.CAN.ForwardMask;
    case 6:
        return p.CAN.FilterMask;
    case 7:
        return p.CAN.FilterCode;
    case 8:
        return p.CAN.IdOffset;
    case 9:
        return p.CAN.ErrorId;
    case 11:
        return p.LIN.Active;
    case 12:
        return p.LIN.Baudrate;
    case 13:
        return p.LIN.ForwardMask;
    case 14:
        return p.LIN.FilterMask;
    case 15:
        return p.LIN.FilterCode;
    case 16:
        return p.LIN.MasterStatus;
    case 17:
        return p.LIN.BusTermination;
    case 18:
        return p.LIN.SchedulerCount;
    case 21:
        return p.LIN.SlaveActivationId;
    default:
        return 0xDEADBEEF;
    }
}

EditorControls ctl(void (*set)(EditorControls &))
{
    EditorControls controls;
    set(controls);
    return controls;
}

ProfileEditorModel loaded(const ModuleConfig &profile, int node)
{
    ProfileEditorModel model;
    model.Load(profile);
    model.Select(node);
    return model;
}

} // namespace

class TestProfileEditor : public QObject
{
    Q_OBJECT

private slots:
    void captions_data();
    void captions();
    void selection_data();
    void selection();
    void fillShowsTheValue();
    void setStores_data();
    void setStores();
    void defaults_data();
    void defaults();
    void idOffsetSwitchedTo11Bits();
    void fieldRules_data();
    void fieldRules();
    void slaveIdSetKeepsTheFrameLength_data();
    void slaveIdSetKeepsTheFrameLength();
    void slaveIdBeyondTheTableIsNotCopied();
    void frameConfigCopiesTheSlaveEntryBack();
    void schedulerEntriesReplaced();
};

void TestProfileEditor::captions_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("cleared");
    QTest::addColumn<QString>("withValues");
    const char *const rows[kProfileTreeNodes][3] = {
        {"RS-232", "RS-232", "RS-232"},
        {"Bitrate", "Bit rate", "Bit rate : 57600"},
        {"CAN", "CAN", "CAN"},
        {"Activation", "Active ", "Activation : No"},
        {"Bitrate", "Bit rate", "Bit rate : 0x1234"},
        {"Forward Mask", "Forward Mask", "Forward Mask :  LIN / RS-232 / Errors Via RS-232 "},
        {"Filter Mask", "Filter Mask", "Filter Mask : 0x12345678"},
        {"Filter Code", "Filter Code", "Filter Code : 0x9ABCDEF0"},
        {"CAN ID Offset", "CAN ID Offset for LIN Messages", "CAN ID Offset : 0x00000123 (29 bits)"},
        {"CAN Error ID", "CAN Error ID", "CAN Error ID : 0x7AB (11 bits)"},
        {"LIN", "LIN", "LIN"},
        {"Activation", "Active", "Activation : No"},
        {"Bitrate", "Bit rate", "Bit rate : 10400"},
        {"Forward Mask",
         "Forward Mask",
         "Forward Mask :  CAN / RS-232 / Errors Via CAN / Errors Via RS-232 "},
        {"Filter Mask", "Filter Mask", "Filter Mask : 0x3C"},
        {"Filter Code", "Filter Code", "Filter Code : 0xA5"},
        {"Master Status", "Master Status", "Master Status : Active"},
        {"LIN Bus Termination", "LIN Bus Termination", "LIN Bus Termination : Master"},
        {"Scheduler Entries", "Scheduler Entries", "Scheduler Entries : 3 "},
        {"Slave ID + Data Configuration",
         "Slave ID + Data Configuration",
         "Slave ID + Data Configuration :  Enabled: 10 - 01 02"},
        {"Frame Configuration", "Frame Configuration", "Frame Configuration"},
        {"CAN ID for Slave Activation",
         "CAN ID For Slave Activation",
         "CAN ID For Slave Activation : Enabled:  0x00000456 (29 bits)"},
    };
    for (int node = 0; node < kProfileTreeNodes; ++node) {
        const auto &row = rows[node];
        QTest::addRow("node %d", node)
            << node << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
            << QString::fromLatin1(row[2]);
    }
}

void TestProfileEditor::captions()
{
    QFETCH(int, node);
    QFETCH(QString, start);
    QFETCH(QString, cleared);
    QFETCH(QString, withValues);
    ProfileEditorModel model;
    QCOMPARE(model.Captions()[std::size_t(node)], start);
    model.Load(unusualProfile());
    QCOMPARE(model.Captions()[std::size_t(node)], withValues);
    model.Clear();
    QCOMPARE(model.Captions()[std::size_t(node)], cleared);
    QVERIFY(!model.IsLoaded());
}

void TestProfileEditor::selection_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("action");
    QTest::newRow("CAN heading") << 2 << -1 << -1 << QString();
    QTest::newRow("nothing") << -1 << -1 << -1 << QString();
    QTest::newRow("RS-232 rate") << 1 << 0 << 31 << "Allow Bit rates:";
    QTest::newRow("CAN filter code") << 7 << 1 << 34 << "SJA1000 Filter:";
    QTest::newRow("CAN error ID") << 9 << 1 << 36 << "CAN Error ID:";
    QTest::newRow("LIN master") << 16 << 2 << 36 << "Master Status:";
    QTest::newRow("slave data") << 19 << 2 << 41 << "Slave ID + Data Configuration";
    QTest::newRow("slave activation") << 21 << 2 << 45 << "CAN ID for Slave Activation:";
}

void TestProfileEditor::selection()
{
    QFETCH(int, node);
    QFETCH(int, group);
    QFETCH(int, code);
    QFETCH(QString, action);
    ProfileEditorModel model = loaded(unusualProfile(), 12);
    QCOMPARE(model.Select(node), group != -1);
    QCOMPARE(int(model.SelectedGroup()), group);
    QCOMPARE(int(model.SelectedCode()), code);
    QCOMPARE(model.ActionCaption(), action);
    if (group != -1)
        return;
    // With nothing editable selected "Set" and "Default" change nothing.
    EditorControls controls;
    QCOMPARE(model.Set(controls), SetAction::Nothing);
    QCOMPARE(model.Default(), NoGroup);
    QCOMPARE(model.Profile(), unusualProfile());
}

void TestProfileEditor::fillShowsTheValue()
{
    ModuleConfig profile = unusualProfile();
    profile.RS232.Baudrate = 14400;
    EditorControls c;
    loaded(profile, 1).Fill(c);
    QCOMPARE(Rs232RateEntries().at(c.portModBaud), QStringLiteral("115200"));
    loaded(profile, 4).Fill(c);
    QCOMPARE(CanBitRateEntries().at(c.bitrateCan), QStringLiteral("User"));
    QCOMPARE(c.userCan, QStringLiteral("1234"));
    loaded(profile, 5).Fill(c);
    QCOMPARE(CanForwardEntries().at(c.canMask), QStringLiteral("LIN & RS-232 "));
    QVERIFY(c.canErrorMask);
    loaded(profile, 8).Fill(c);
    QVERIFY(c.can29);
    QCOMPARE(c.offset, QStringLiteral("00000123"));
    loaded(profile, 12).Fill(c);
    QCOMPARE(c.bitrateLin, kLinUserRateIndex);
    QCOMPARE(c.userLin, QStringLiteral("10400"));
    loaded(profile, 13).Fill(c);
    QCOMPARE(LinForwardEntries().at(c.linMask), QStringLiteral("CAN & RS-232"));
    QVERIFY(c.linErrorMask);
    QVERIFY(c.linCanErrorMask);
    loaded(profile, 14).Fill(c);
    QCOMPARE(c.linFilterMask, QStringLiteral("3C"));
    loaded(profile, 21).Fill(c);
    QVERIFY(c.lin29);
    QVERIFY(c.slaveActivationActive);
    QCOMPARE(c.slaveActivationId, QStringLiteral("00000456"));
    profile.LIN.Baudrate = 9600;
    loaded(profile, 12).Fill(c);
    QCOMPARE(c.bitrateLin, 1);
}

void TestProfileEditor::setStores_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<EditorControls>("controls");
    QTest::addColumn<quint32>("stored");
    QTest::newRow("RS-232 9600") << 1 << ctl([](EditorControls &c) { c.portModBaud = 1; }) << 9600u;
    QTest::newRow("CAN disable") << 3 << ctl([](EditorControls &c) { c.activationCan = 1; }) << 0u;
    QTest::newRow("CAN 250 kb") << 4 << ctl([](EditorControls &c) { c.bitrateCan = 2; }) << 0x011Cu;
    QTest::newRow("CAN user timing") << 4 << ctl([](EditorControls &c) {
        c.bitrateCan = kCanUserIndex;
        c.userCan = "1a";
    }) << 0x001Au;
    QTest::newRow("CAN forward both + error") << 5 << ctl([](EditorControls &c) {
        c.canMask = 3;
        c.canErrorMask = true;
    }) << 0x86u;
    QTest::newRow("CAN offset FFF in 11 bits")
        << 8 << ctl([](EditorControls &c) { c.offset = "FFF"; }) << 0x7FFu;
    QTest::newRow("CAN offset 29 bits") << 8 << ctl([](EditorControls &c) {
        c.offset = "123";
        c.can29 = true;
    }) << 0x80000123u;
    QTest::newRow("CAN error ID not a number") << 9 << ctl([](EditorControls &c) {
        c.canErrorId = "";
        c.can29 = true;
    }) << 0x80000000u;
    QTest::newRow("LIN disable") << 11 << ctl([](EditorControls &c) { c.activationLin = 1; }) << 0u;
    QTest::newRow("LIN 2400") << 12 << ctl([](EditorControls &c) { c.bitrateLin = 0; }) << 2400u;
    QTest::newRow("LIN user empty") << 12 << ctl([](EditorControls &c) {
        c.bitrateLin = kLinUserRateIndex;
        c.userLin = "";
    }) << 19200u;
    QTest::newRow("LIN user 25000") << 12 << ctl([](EditorControls &c) {
        c.bitrateLin = kLinUserRateIndex;
        c.userLin = "25000";
    }) << 20000u;
    QTest::newRow("LIN forward RS-232 + CAN error") << 13 << ctl([](EditorControls &c) {
        c.linMask = 2;
        c.linCanErrorMask = true;
    }) << 0x44u;
    QTest::newRow("LIN filter mask A")
        << 14 << ctl([](EditorControls &c) { c.linFilterMask = "A"; }) << 0x0Au;
    QTest::newRow("LIN filter code")
        << 15 << ctl([](EditorControls &c) { c.linFilterCode = "7E"; }) << 0x7Eu;
    QTest::newRow("master active")
        << 16 << ctl([](EditorControls &c) { c.masterStatus = 0; }) << 1u;
    QTest::newRow("termination slave")
        << 17 << ctl([](EditorControls &c) { c.linTermination = 1; }) << 0u;
    QTest::newRow("slave activation 29 active") << 21 << ctl([](EditorControls &c) {
        c.slaveActivationId = "FFFFFFFF";
        c.slaveActivationActive = true;
        c.lin29 = true;
    }) << 0xDFFFFFFFu;
    QTest::newRow("slave activation 11")
        << 21 << ctl([](EditorControls &c) { c.slaveActivationId = "ABC"; }) << 0x7FFu;
}

void TestProfileEditor::setStores()
{
    QFETCH(int, node);
    QFETCH(EditorControls, controls);
    QFETCH(quint32, stored);
    ProfileEditorModel model = loaded(unusualProfile(), node);
    QCOMPARE(model.Set(controls), SetAction::Stored);
    QCOMPARE(storedValue(model.Profile(), node), stored);
    // The tree shows what was stored: the caption is the one of a freshly loaded profile.
    ProfileEditorModel reloaded;
    reloaded.Load(model.Profile());
    QCOMPARE(model.Captions(), reloaded.Captions());
    // The other groups are left alone.
    const ModuleConfig before = unusualProfile();
    const EditGroup group = ProfileNodeAt(node).group;
    if (group != Rs232Group)
        QCOMPARE(model.Profile().RS232, before.RS232);
    if (group != CanGroup)
        QCOMPARE(model.Profile().CAN, before.CAN);
    if (group != LinGroup)
        QCOMPARE(model.Profile().LIN, before.LIN);
}

void TestProfileEditor::defaults_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<quint32>("stored");
    QTest::newRow("RS-232") << 1 << 38400u;
    QTest::newRow("CAN active") << 3 << 1u;
    QTest::newRow("CAN rate") << 4 << 0x1Cu;
    QTest::newRow("CAN forward") << 5 << 0u;
    QTest::newRow("CAN filter mask") << 6 << 0xFFFFFFFFu;
    QTest::newRow("CAN filter code") << 7 << 0u;
    QTest::newRow("CAN offset") << 8 << 0u;
    QTest::newRow("CAN error ID") << 9 << 0u;
    QTest::newRow("LIN active") << 11 << 1u;
    QTest::newRow("LIN rate") << 12 << 19200u;
    QTest::newRow("LIN forward") << 13 << 0u;
    QTest::newRow("LIN filter mask") << 14 << 255u;
    QTest::newRow("LIN filter code") << 15 << 0u;
    QTest::newRow("master") << 16 << 0u;
    QTest::newRow("termination") << 17 << 1u;
    QTest::newRow("scheduler") << 18 << 0u;
    QTest::newRow("slave activation") << 21 << 0u;
}

void TestProfileEditor::defaults()
{
    QFETCH(int, node);
    QFETCH(quint32, stored);
    ModuleConfig profile = unusualProfile();
    profile.LIN.BusTermination = 0;
    profile.CAN.FilterMask = 0x12345678;
    ProfileEditorModel model = loaded(profile, node);
    QCOMPARE(model.Default(), ProfileNodeAt(node).group);
    QCOMPARE(storedValue(model.Profile(), node), stored);
    if (node == 6 || node == 7)
        QCOMPARE(model.Profile().CAN.FilterCode, 0u);
}

void TestProfileEditor::idOffsetSwitchedTo11Bits()
{
    ProfileEditorModel model = loaded(unusualProfile(), 8);
    EditorControls c;
    model.Fill(c);
    QCOMPARE(c.offset, QStringLiteral("00000123"));
    // Choosing "11" fits both identifier fields to three digits.
    c.can29 = false;
    c.offset = FitIdField(c.offset, IdFieldLength(false));
    QCOMPARE(c.offset, QStringLiteral("123"));
    QCOMPARE(model.Set(c), SetAction::Stored);
    QCOMPARE(model.Profile().CAN.IdOffset, 0x123u);
    QCOMPARE(model.Captions()[8], QStringLiteral("CAN ID Offset : 0x123 (11 bits)"));
}

void TestProfileEditor::fieldRules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("result");
    QTest::newRow("11 bits FFF") << "fit"
                                 << "FFF" << 3 << "7FF";
    QTest::newRow("11 bits from 29") << "fit"
                                     << "00000123" << 3 << "123";
    QTest::newRow("11 bits big from 29") << "fit"
                                         << "00001234" << 3 << "7FF";
    QTest::newRow("11 bits padded") << "fit"
                                    << "5" << 3 << "005";
    QTest::newRow("29 bits over") << "fit"
                                  << "FFFFFFFF" << 8 << "1FFFFFFF";
    QTest::newRow("29 bits empty") << "fit"
                                   << "" << 8 << "00000000";
    QTest::newRow("29 bits from 11") << "fit"
                                     << "7ff" << 8 << "000007FF";
    QTest::newRow("pad user CAN") << "pad"
                                  << "1c" << 4 << "001C";
    QTest::newRow("pad LIN filter") << "pad"
                                    << "" << 2 << "00";
    QTest::newRow("LIN rate 25000") << "lin"
                                    << "25000" << 0 << "20000";
    QTest::newRow("LIN rate 500") << "lin"
                                  << "500" << 0 << "1000";
    QTest::newRow("LIN rate empty") << "lin"
                                    << "" << 0 << "19200";
    QTest::newRow("LIN rate kept") << "lin"
                                   << "10400" << 0 << "10400";
}

void TestProfileEditor::fieldRules()
{
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, result);
    if (rule == QLatin1String("fit"))
        QCOMPARE(FitIdField(text, length), result);
    else if (rule == QLatin1String("pad"))
        QCOMPARE(PadHex(text, length), result);
    else
        QCOMPARE(LeftUserLinRate(text), result);
}

void TestProfileEditor::slaveIdSetKeepsTheFrameLength_data()
{
    QTest::addColumn<int>("lengthEntry");
    QTest::addColumn<int>("kept");
    QTest::newRow("two bytes") << 2 << 2;
    QTest::newRow("entry 15") << 15 << 8;
    QTest::newRow("none") << 0 << 0;
}

void TestProfileEditor::slaveIdSetKeepsTheFrameLength()
{
    QFETCH(int, lengthEntry);
    QFETCH(int, kept);
    ModuleConfig profile = unusualProfile();
    SetNibble(profile.LIN.FrameLengths, 16, lengthEntry);
    const LIN_Group before = profile.LIN;
    ProfileEditorModel model = loaded(profile, 19);
    EditorControls c;
    QCOMPARE(model.Set(c), SetAction::SlaveDialog);
    model.SetSlaveIdData(QStringLiteral("10"), true, QStringLiteral("A1A2A3A4A5A6A7A8"));
    model.CopySlaveIdIntoFrames();
    const LIN_Group &lin = model.Profile().LIN;
    QCOMPARE(int(lin.SlaveIdData.ID), 16);
    QCOMPARE(int(lin.SlaveIdData.Length), kept);
    for (int j = 0; j < kFrameDataBytes; ++j)
        QCOMPARE(int(lin.SlaveIdData.Data[std::size_t(j)]),
                 j < kept ? 0xA1 + j : int(before.SlaveIdData.Data[std::size_t(j)]));
    QCOMPARE(lin.Frames[16], lin.SlaveIdData);
    QCOMPARE(lin.Frames[17], before.Frames[17]);
    QCOMPARE(lin.SchedulerEntries, before.SchedulerEntries);
    // Default: identifier 63, inactive, its frame's byte count of 255s.
    SetNibble(profile.LIN.FrameLengths, 63, lengthEntry);
    ProfileEditorModel defaults = loaded(profile, 19);
    defaults.Default();
    const LIN_FrameEntry &slave = defaults.Profile().LIN.SlaveIdData;
    QCOMPARE(int(slave.ID), 63);
    QCOMPARE(int(slave.Active), 0);
    QCOMPARE(int(slave.Length), kept);
    QCOMPARE(defaults.Profile().LIN.Frames[63], slave);
}

void TestProfileEditor::slaveIdBeyondTheTableIsNotCopied()
{
    // "New from Module" can bring a module's own slave ID above 63.
    ModuleConfig profile = unusualProfile();
    profile.LIN.SlaveIdData.ID = 0x50;
    ProfileEditorModel model = loaded(profile, 19);
    model.CopySlaveIdIntoFrames();
    QCOMPARE(model.Profile().LIN, profile.LIN);
    LIN_Group edited = profile.LIN;
    edited.Frames[5].Data[0] = 0x42;
    model.SetFrameConfig(edited);
    QCOMPARE(model.Profile().LIN, edited);
}

void TestProfileEditor::frameConfigCopiesTheSlaveEntryBack()
{
    ProfileEditorModel model = loaded(unusualProfile(), 20);
    EditorControls c;
    QCOMPARE(model.Set(c), SetAction::FrameDialog);
    LIN_Group edited = model.Profile().LIN;
    edited.Frames[16] = LIN_FrameEntry{1, 16, 4, {9, 8, 7, 6, 5, 4, 3, 2}};
    edited.Frames[20].Active = 1;
    model.SetFrameConfig(edited);
    QCOMPARE(model.Profile().LIN.Frames, edited.Frames);
    QCOMPARE(model.Profile().LIN.SlaveIdData, edited.Frames[16]);
    QCOMPARE(model.Captions()[19],
             QStringLiteral("Slave ID + Data Configuration :  Enabled: 10 - 09 08 07 06"));
}

void TestProfileEditor::schedulerEntriesReplaced()
{
    ModuleConfig profile = unusualProfile();
    profile.LIN.SchedulerEntries[0] = {10, 1};
    profile.LIN.SchedulerEntries[1] = {20, 2};
    profile.LIN.SchedulerEntries[2] = {30, 3};
    ProfileEditorModel model = loaded(profile, 18);
    QCOMPARE(model.SchedulerEntries().size(), std::size_t(3));
    model.SetSchedulerEntries({{7, 9}, {8, 4}});
    QCOMPARE(model.SchedulerEntries(), (std::vector<LIN_SchedulerEntry>{{7, 9}, {8, 4}}));
    QCOMPARE(model.Captions()[18], QStringLiteral("Scheduler Entries : 2 "));
    model.Default();
    QVERIFY(model.SchedulerEntries().empty());
}

QTEST_GUILESS_MAIN(TestProfileEditor)
#include "tst_profile_editor.moc"
