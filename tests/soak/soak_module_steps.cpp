#include "soak/soak_action_steps.h"
#include "soak/soak_invariants.h"
#include "soak/soak_session.h"

#include "core/editing/frame_rules.h"

#include <QFileInfo>

// The profile on the profiles view, edited through the editing model as its panel does, and
// the module's behaviour: the faults a real line and a real module bring.
namespace vxl::soak {

namespace {

QString profileName(const Step &step)
{
    return step.arg(1, 2) == 0 ? QStringLiteral("a.vxlin") : QStringLiteral("b.vxlin");
}

void loadFromDocument(Session &s)
{
    ModuleConfig values;
    s.document().ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN);
    s.editor().Load(values);
    s.profileChanged();
}

// One control of the selected node's panel changed, as a user would type or pick.
void changeControl(EditorControls &c, int value)
{
    const QString hex = QString::number(value, 16).toUpper();
    switch (value % 10) {
    case 0:
        c.portModBaud = value % 8;
        break;
    case 1:
        c.bitrateCan = value % 10;
        c.userCan = hex;
        break;
    case 2:
        c.offset = hex;
        c.canErrorId = hex;
        c.can29 = value % 2;
        break;
    case 3:
        c.bitrateLin = value % 4;
        c.userLin = QString::number(1000 + value * 19);
        break;
    case 4:
        c.linFilterMask = hex.right(2);
        c.linFilterCode = hex.left(2);
        break;
    case 5:
        c.masterStatus = value % 2;
        c.linTermination = value % 2;
        break;
    case 6:
        c.slaveActivationId = hex;
        c.slaveActivationActive = value % 2;
        c.lin29 = value % 3 == 0;
        break;
    case 7:
        c.activationCan = value % 2;
        c.activationLin = value % 2;
        break;
    case 8:
        c.canMask = value % 4;
        c.linMask = value % 4;
        c.canErrorMask = value % 2;
        break;
    default:
        c.linErrorMask = value % 2;
        c.linCanErrorMask = value % 3 == 0;
        break;
    }
}

// What a confirmed dialog hands back for the nodes that open one.
void confirmDialog(Session &s, SetAction action, int value)
{
    auto &editor = s.editor();
    switch (action) {
    case SetAction::FilterDialog:
        editor.SetCanFilter(std::uint32_t(value) * 0x10001u, 0xFFFF0000u | std::uint32_t(value));
        break;
    case SetAction::SchedulerDialog: {
        std::vector<LIN_SchedulerEntry> entries;
        for (int i = 0; i < value % 6; ++i)
            entries.push_back({std::uint16_t(20 + value % 100 + i), std::uint8_t((value + i) % 64)});
        editor.SetSchedulerEntries(entries);
        break;
    }
    case SetAction::SlaveDialog:
        editor.SetSlaveIdData(QString::number(value % 64, 16),
                              value % 2 == 0,
                              QStringLiteral("0102030405060708"));
        editor.CopySlaveIdIntoFrames();
        break;
    case SetAction::FrameDialog: {
        // A row modified, or the dialog's Defaults, which leave the slave mask as it was.
        LIN_Group lin = editor.Profile().LIN;
        const int id = value % 64;
        if (value % 5 == 0) {
            ApplyDefaultTables(lin, DefaultFrameConfig());
        } else {
            FrameEdit edit = FrameEditOf(lin, id);
            edit.publisher = value % 2;
            edit.data[0] = std::uint8_t(value);
            ApplyFrameEdit(lin, id, edit);
        }
        editor.SetFrameConfig(lin);
        break;
    }
    default:
        break;
    }
}

sim::EmulatorHost &target(Session &s, const Step &step)
{
    if (auto *module = s.connectedHost())
        return *module;
    return s.host(step.arg(1, 2));
}

} // namespace

void ProfileNew(Session &s, const Step &)
{
    s.document().LoadDefault();
    loadFromDocument(s);
}

void ProfileOpen(Session &s, const Step &step)
{
    const QString path = s.profilePath(profileName(step));
    if (!QFileInfo::exists(path))
        return;
    if (!s.document().OpenFile(path)) {
        s.find(kSavedProfileOpens, QStringLiteral("%1 did not open").arg(profileName(step)));
        return;
    }
    ModuleConfig opened;
    s.document().ReadAll(&opened.RS232.Baudrate, &opened.CAN, &opened.LIN);
    const auto saved = s.savedValues(path);
    if (saved
        && (saved->RS232 != opened.RS232 || saved->CAN != opened.CAN || saved->LIN != opened.LIN))
        s.find(kSavedProfileOpens,
               QStringLiteral("%1 opened with other values than were saved").arg(profileName(step)));
    s.editor().Load(opened);
    s.op().profile = opened;
}

void ProfileEdit(Session &s, const Step &step)
{
    auto &editor = s.editor();
    if (!editor.IsLoaded() || !editor.Select(step.arg(1, kProfileTreeNodes)))
        return;
    EditorControls controls;
    editor.Fill(controls);
    if (step.arg(2, 5) == 0) {
        editor.Default();
    } else {
        changeControl(controls, step.arg(3, 1000));
        confirmDialog(s, editor.Set(controls), step.arg(3, 1000));
    }
    s.profileChanged();
}

void ProfileSave(Session &s, const Step &step)
{
    if (!s.editor().IsLoaded())
        return;
    const QString path = s.profilePath(profileName(step));
    if (s.document().SaveAs(path))
        s.profileSaved(path);
}

void FaultSilence(Session &s, const Step &step)
{
    target(s, step).setSilent(true);
    s.noteFault(QStringLiteral("silence"));
}

void FaultDrop(Session &s, const Step &step)
{
    target(s, step).dropReply(1 + step.arg(2, 30));
    s.noteFault(QStringLiteral("dropped reply"));
}

void FaultCorrupt(Session &s, const Step &step)
{
    target(s, step).corruptReply(1 + step.arg(2, 30));
    s.noteFault(QStringLiteral("corrupted reply"));
}

void FaultDelay(Session &s, const Step &step)
{
    static constexpr int kDelays[] = {5, 40, 400};
    target(s, step).setReplyDelayMs(kDelays[step.arg(2, 3)]);
    s.noteFault(QStringLiteral("delayed replies"));
}

void FaultGarbage(Session &s, const Step &step)
{
    QByteArray bytes;
    for (int i = 0; i < 1 + step.arg(2, 12); ++i)
        bytes.append(char((step.arg(2, 1000) * 31 + i * 17) & 0xFF));
    target(s, step).sendGarbage(bytes);
    s.noteFault(QStringLiteral("garbage"));
}

void FaultReturnCode(Session &s, const Step &step)
{
    const auto &values = RefusableValues();
    const auto &value = values[std::size_t(step.arg(2, int(values.size())))];
    target(s, step).forceReturnCode(value.group,
                                    value.readCommand,
                                    std::uint8_t(1 + step.arg(3, 9)));
    s.noteFault(QStringLiteral("forced return code"));
}

void FaultFlood(Session &s, const Step &step)
{
    auto &module = target(s, step);
    module.setFlood(8);
    s.noteFault(QStringLiteral("flood"));
}

void FaultDropOff(Session &s, const Step &step)
{
    target(s, step).dropOff(100 + step.arg(2, 2500));
    s.noteFault(QStringLiteral("drop-off"));
}

void FaultEndlessStartup(Session &s, const Step &step)
{
    target(s, step).setStartupTextCut(true);
    s.noteFault(QStringLiteral("endless start-up text"));
}

void FaultSwitchFirmware(Session &s, const Step &step)
{
    // A module is swapped only while the tool is not talking to it.
    auto &module = s.host(step.arg(1, 2));
    if (&module == s.connectedHost())
        return;
    sim::Identity identity;
    identity.firmware = Firmwares()[std::size_t(step.arg(2, int(Firmwares().size())))];
    identity.hardware = Hardwares()[std::size_t(step.arg(3, int(Hardwares().size())))];
    module.withModel([&identity](sim::ModuleModel &model) { model.SetIdentity(identity); });
    s.noteFault(QStringLiteral("firmware switch"));
}

void FaultsCleared(Session &s, const Step &)
{
    for (int i = 0; i < 2; ++i) {
        auto &module = s.host(i);
        module.setSilent(false);
        module.setReplyDelayMs(0);
        module.setFlood(0);
        module.setStartupTextCut(false);
        module.withModel([](sim::ModuleModel &model) { model.ClearForcedCodes(); });
    }
}

} // namespace vxl::soak
