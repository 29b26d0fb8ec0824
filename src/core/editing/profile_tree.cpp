#include "core/editing/profile_tree.h"

#include "core/editing/profile_fields.h"
#include "core/module/module_grid_text.h"

#include <QStringList>

#include <algorithm>

namespace vxl {

namespace {

constexpr std::array<ProfileNode, kProfileTreeNodes> kNodes = {{
    {-1, NoGroup, NoCode, "RS-232", "RS-232"},
    {0, Rs232Group, CodeBitRate, "Bitrate", "Bit rate"},
    {-1, NoGroup, NoCode, "CAN", "CAN"},
    {2, CanGroup, CodeActivation, "Activation", "Active "},
    {2, CanGroup, CodeBitRate, "Bitrate", "Bit rate"},
    {2, CanGroup, CodeForwardMask, "Forward Mask", "Forward Mask"},
    {2, CanGroup, CodeFilterMask, "Filter Mask", "Filter Mask"},
    {2, CanGroup, CodeFilterCode, "Filter Code", "Filter Code"},
    {2, CanGroup, CodeIdOffset, "CAN ID Offset", "CAN ID Offset for LIN Messages"},
    {2, CanGroup, CodeErrorIdOrMaster, "CAN Error ID", "CAN Error ID"},
    {-1, NoGroup, NoCode, "LIN", "LIN"},
    {10, LinGroup, CodeActivation, "Activation", "Active"},
    {10, LinGroup, CodeBitRate, "Bitrate", "Bit rate"},
    {10, LinGroup, CodeForwardMask, "Forward Mask", "Forward Mask"},
    {10, LinGroup, CodeFilterMask, "Filter Mask", "Filter Mask"},
    {10, LinGroup, CodeFilterCode, "Filter Code", "Filter Code"},
    {10, LinGroup, CodeErrorIdOrMaster, "Master Status", "Master Status"},
    {10, LinGroup, CodeBusTermination, "LIN Bus Termination", "LIN Bus Termination"},
    {10, LinGroup, CodeSchedulerEntries, "Scheduler Entries", "Scheduler Entries"},
    {10, LinGroup, CodeSlaveIdData, "Slave ID + Data Configuration", "Slave ID + Data Configuration"},
    {10, LinGroup, CodeFrameConfig, "Frame Configuration", "Frame Configuration"},
    {10,
     LinGroup,
     CodeSlaveActivationId,
     "CAN ID for Slave Activation",
     "CAN ID For Slave Activation"},
}};

QString yesNo(std::uint32_t value)
{
    return value != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
}

void refreshCan(ProfileCaptions &c, const CAN_Group &can)
{
    c[3] = QStringLiteral("Activation : ") + yesNo(can.Active);
    c[4] = QStringLiteral("Bit rate : 0x") + HexText(can.Baudrate, 4);
    c[5] = QStringLiteral("Forward Mask : ") + ForwardMaskText(std::uint8_t(can.ForwardMask));
    c[6] = QStringLiteral("Filter Mask : 0x") + HexText(can.FilterMask, 8);
    c[7] = QStringLiteral("Filter Code : 0x") + HexText(can.FilterCode, 8);
    // CanIdText carries the "0x" of the caption.
    c[8] = QStringLiteral("CAN ID Offset : ") + CanIdText(can.IdOffset);
    c[9] = QStringLiteral("CAN Error ID : ") + CanIdText(can.ErrorId);
}

void refreshLin(ProfileCaptions &c, const LIN_Group &lin)
{
    c[11] = QStringLiteral("Activation : ") + yesNo(lin.Active);
    c[12] = QStringLiteral("Bit rate : ") + QString::number(lin.Baudrate);
    c[13] = QStringLiteral("Forward Mask : ") + ForwardMaskText(lin.ForwardMask);
    c[14] = QStringLiteral("Filter Mask : 0x") + HexText(lin.FilterMask, 2);
    c[15] = QStringLiteral("Filter Code : 0x") + HexText(lin.FilterCode, 2);
    c[16] = QStringLiteral("Master Status : ")
            + (lin.MasterStatus != 0 ? QStringLiteral("Active") : QStringLiteral("Inactive"));
    c[17] = QStringLiteral("LIN Bus Termination : ")
            + (lin.BusTermination != 0 ? QStringLiteral("Master") : QStringLiteral("Slave"));
    c[18] = QStringLiteral("Scheduler Entries : ") + QString::number(lin.SchedulerCount)
            + QStringLiteral(" ");
    c[19] = QStringLiteral("Slave ID + Data Configuration : ") + SlaveCaptionText(lin.SlaveIdData);
    c[20] = QStringLiteral("Frame Configuration");
    c[21] = QStringLiteral("CAN ID For Slave Activation : ")
            + SlaveActivationText(lin.SlaveActivationId);
}

} // namespace

const ProfileNode &ProfileNodeAt(int node)
{
    static const ProfileNode none;
    if (node < 0 || node >= kProfileTreeNodes)
        return none;
    return kNodes[std::size_t(node)];
}

int ProfileNodeOf(EditGroup group, ParamCode code)
{
    const auto found = std::find_if(kNodes.cbegin(), kNodes.cend(), [&](const ProfileNode &n) {
        return n.group == group && n.code == code && group != NoGroup;
    });
    return found == kNodes.cend() ? -1 : int(found - kNodes.cbegin());
}

ProfileCaptions StartCaptions()
{
    ProfileCaptions captions;
    for (std::size_t i = 0; i < captions.size(); ++i)
        captions[i] = QString::fromLatin1(kNodes[i].startCaption);
    return captions;
}

ProfileCaptions ClearedCaptions()
{
    ProfileCaptions captions;
    for (std::size_t i = 0; i < captions.size(); ++i)
        captions[i] = QString::fromLatin1(kNodes[i].clearedCaption);
    return captions;
}

void RefreshProfileCaptions(ProfileCaptions &captions,
                            std::optional<std::uint32_t> rs232Baudrate,
                            const CAN_Group *can,
                            const LIN_Group *lin)
{
    if (rs232Baudrate)
        captions[1] = QStringLiteral("Bit rate : ") + QString::number(*rs232Baudrate);
    if (can)
        refreshCan(captions, *can);
    if (lin)
        refreshLin(captions, *lin);
}

QString SlaveCaptionText(const LIN_FrameEntry &entry)
{
    QStringList bytes;
    const int length = std::min<int>(entry.Length, kFrameDataBytes);
    for (int j = 0; j < length; ++j)
        bytes << HexText(entry.Data[std::size_t(j)], 2);
    return (entry.Active != 0 ? QStringLiteral(" Enabled") : QStringLiteral(" Disabled"))
           + QStringLiteral(": ") + HexText(entry.ID, 2) + QStringLiteral(" - ")
           + bytes.join(QLatin1Char(' '));
}

} // namespace vxl
