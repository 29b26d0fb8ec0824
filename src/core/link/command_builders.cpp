#include "core/link/command_builders.h"

#include "core/link/lin_port.h"

#include <algorithm>
#include <thread>

namespace vxl {

LIN_Msg BuildRequest(int group, int command, int sequence, std::span<const std::uint8_t> data)
{
    const auto count = static_cast<int>(std::min<std::size_t>(data.size(), kMaxDataBytes));
    LIN_Msg msg;
    msg.start = kStartByte;
    msg.header = MakeHeader(sequence, count);
    msg.code = MakeCode(group, command);
    msg.checksum = msg.header ^ msg.code;
    for (int i = 0; i < count; ++i) {
        msg.data[static_cast<std::size_t>(i)] = data[static_cast<std::size_t>(i)];
        msg.checksum ^= data[static_cast<std::size_t>(i)];
    }
    return msg;
}

int SendCommand(clsLinPort &link, int group, int command, int sequence, QString *text)
{
    return SendCommandData(link, group, command, sequence, {}, text);
}

int SendCommandData(clsLinPort &link,
                    int group,
                    int command,
                    int sequence,
                    std::span<const std::uint8_t> data,
                    QString *text)
{
    const LIN_Msg msg = BuildRequest(group, command, sequence, data);
    if (text)
        *text = FormatFrame(msg);
    return link.QueueMessage(msg);
}

int SendIspRequest(clsLinPort &link, int sequence)
{
    const std::span<const std::uint8_t> access(reinterpret_cast<const std::uint8_t *>(
                                                   kIspAccessText),
                                               sizeof kIspAccessText - 1);
    const int result = link.QueueMessage(BuildRequest(3, 63, sequence, access));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return result;
}

QString FormatFrame(const LIN_Msg &msg)
{
    QString text;
    const auto append = [&text](std::uint8_t byte) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper()
                + QLatin1Char('h');
    };
    append(msg.start);
    append(msg.header);
    append(msg.code);
    const int length = std::min(HeaderField(msg.header, 2), kMaxDataBytes);
    for (int i = 0; i < length; ++i)
        append(msg.data[static_cast<std::size_t>(i)]);
    append(msg.checksum);
    return text;
}

} // namespace vxl
