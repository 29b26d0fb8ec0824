#include "core/editing/module_profile_values.h"

#include "core/editing/profile_fields.h"
#include "core/editing/profile_tree.h"
#include "core/module/module_refusals.h"
#include "core/profiles/profile_document.h"

#include <algorithm>

namespace vxl {

namespace {

ModuleConfig defaultDocumentValues()
{
    ModuleConfig config = ModuleConfig::NewProfile();
    clsVLINXMLProfile document;
    if (document.LoadDefault())
        (void) document.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN);
    return config;
}

// The caption the tree shows for a value without a profile; a caption that more than one group
// has ("Bit rate") is named with its group.
QString treeCaption(EditGroup group, ParamCode code)
{
    const int node = ProfileNodeOf(group, code);
    const ProfileNode &value = ProfileNodeAt(node);
    const QString caption = QString::fromLatin1(value.clearedCaption);
    int same = 0;
    for (int n = 0; n < kProfileTreeNodes; ++n)
        same += QString::fromLatin1(ProfileNodeAt(n).clearedCaption) == caption ? 1 : 0;
    if (same < 2)
        return caption;
    return QString::fromLatin1(ProfileNodeAt(value.parent).clearedCaption) + QStringLiteral(": ")
           + caption;
}

QString frameCaption(const QString &part)
{
    return treeCaption(LinGroup, CodeFrameConfig) + QStringLiteral(": ") + part;
}

class Substitution
{
public:
    explicit Substitution(const ModuleConfig &module)
        : m_values(module)
        , m_refusals(RefusalsOf(module))
        , m_defaults(defaultDocumentValues())
        , m_perId(HasPerIdSlaveData(FirmwareNumber(module.Module.FirmwareText)))
    {}

    ModuleProfileValues run()
    {
        groupValues();
        scheduler();
        slaveIdData();
        frameTables();
        if (m_refusals.slaveActivationId) {
            m_values.LIN.SlaveActivationId = m_defaults.LIN.SlaveActivationId;
            m_refused << treeCaption(LinGroup, CodeSlaveActivationId);
        }
        return {m_values, m_refused};
    }

private:
    template<typename T>
    void take(bool refused, T &value, const T &defaultValue, const QString &line)
    {
        if (!refused)
            return;
        value = defaultValue;
        m_refused << line;
    }

    // A value of a group that has a node of its own in the tree, named by the node's caption.
    template<auto Group, auto Field>
    void takeNode(bool refused, EditGroup group, ParamCode code)
    {
        take(refused, m_values.*Group.*Field, m_defaults.*Group.*Field, treeCaption(group, code));
    }

    void groupValues()
    {
        constexpr auto kCan = &ModuleConfig::CAN;
        const ReadRefusals &r = m_refusals;
        takeNode<&ModuleConfig::RS232, &RS232_Group::Baudrate>(r.rs232Baudrate,
                                                               Rs232Group,
                                                               CodeBitRate);
        takeNode<kCan, &CAN_Group::Baudrate>(r.canBaudrate, CanGroup, CodeBitRate);
        takeNode<kCan, &CAN_Group::FilterMask>(r.canFilterMask, CanGroup, CodeFilterMask);
        takeNode<kCan, &CAN_Group::FilterCode>(r.canFilterCode, CanGroup, CodeFilterCode);
        takeNode<kCan, &CAN_Group::IdOffset>(r.canIdOffset, CanGroup, CodeIdOffset);
        takeNode<kCan, &CAN_Group::ErrorId>(r.canErrorId, CanGroup, CodeErrorIdOrMaster);
        takeNode<&ModuleConfig::LIN, &LIN_Group::Baudrate>(r.linBaudrate, LinGroup, CodeBitRate);
    }

    // A refused entry is left out: the default document has no entries to take its place.
    void scheduler()
    {
        auto &lin = m_values.LIN;
        const int count = std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries);
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            if (m_refusals.schedulerEntries[std::size_t(i)]) {
                m_refused << treeCaption(LinGroup, CodeSchedulerEntries)
                                 + QStringLiteral(": Index %1").arg(i + 1);
                continue;
            }
            lin.SchedulerEntries[std::size_t(kept++)] = lin.SchedulerEntries[std::size_t(i)];
        }
        for (int i = kept; i < count; ++i)
            lin.SchedulerEntries[std::size_t(i)] = {};
        lin.SchedulerCount = std::uint16_t(kept);
    }

    void slaveIdData()
    {
        if (!m_refusals.slaveIdData)
            return;
        m_values.LIN.SlaveIdData = m_defaults.LIN.SlaveIdData;
        m_refused << treeCaption(LinGroup, CodeSlaveIdData);
        // Older firmware keeps one slave data entry, which every frame of the table shows.
        if (!m_perId)
            for (std::size_t i = 0; i < m_values.LIN.Frames.size(); ++i)
                m_values.LIN.Frames[i].Data = m_defaults.LIN.Frames[i].Data;
    }

    void frameTables()
    {
        auto &lin = m_values.LIN;
        const auto &d = m_defaults.LIN;
        if (m_refusals.slaveMask) {
            lin.SlaveMask = d.SlaveMask;
            // Older firmware takes each frame's direction from the mask.
            if (!m_perId)
                for (std::size_t i = 0; i < lin.Frames.size(); ++i)
                    lin.Frames[i].Active = d.Frames[i].Active;
            m_refused << frameCaption(QStringLiteral("Direction"));
        }
        if (m_refusals.frameLengths) {
            lin.FrameLengths = d.FrameLengths;
            for (int id = 0; id < kFrameCount; ++id)
                lin.Frames[std::size_t(id)].Length = std::uint8_t(FrameByteCount(lin, id));
            m_refused << frameCaption(QStringLiteral("Length"));
        }
        take(m_refusals.frameFormats,
             lin.FrameFormats,
             d.FrameFormats,
             frameCaption(QStringLiteral("Checksum Type")));
        for (int id = 0; id < kFrameCount; ++id)
            take(m_refusals.frames[std::size_t(id)],
                 lin.Frames[std::size_t(id)],
                 d.Frames[std::size_t(id)],
                 frameCaption(QStringLiteral("ID %1 / 0x%2").arg(id).arg(HexText(id, 2))));
    }

    ModuleConfig m_values;
    ReadRefusals m_refusals;
    ModuleConfig m_defaults;
    bool m_perId;
    QStringList m_refused;
};

} // namespace

ModuleProfileValues ProfileValuesFromModule(const ModuleConfig &module)
{
    return Substitution(module).run();
}

QString RefusedValuesText(const QStringList &refused)
{
    if (refused.isEmpty())
        return {};
    return QString::fromLatin1(kRefusedValuesIntro) + QLatin1Char('\n')
           + refused.join(QLatin1Char('\n'));
}

} // namespace vxl
