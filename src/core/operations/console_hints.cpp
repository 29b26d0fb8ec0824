#include "core/operations/console_hints.h"

namespace vxl {

namespace {

constexpr int kRs232 = 0, kCan = 1, kLin = 2;
constexpr int kInitWrite = 0, kRead = 1, kSet = 2;

ParameterHints hints(std::initializer_list<const char *> texts)
{
    ParameterHints out;
    int index = 0;
    for (const char *text : texts)
        out.emplace_back(index++, QString::fromLatin1(text));
    return out;
}

ParameterHints fourBytes(const char *what, const char *example, const char *last)
{
    const QString w = QString::fromLatin1(what);
    const QString e = QString::fromLatin1(example);
    return {
        {0, QStringLiteral("First ") + w + QStringLiteral(" Byte (LSB) / Expl: ") + e},
        {1, QStringLiteral("Second ") + w + QStringLiteral(" Byte / Expl: ") + e},
        {2, QStringLiteral("Third ") + w + QStringLiteral(" Byte / Expl: ") + e},
        {3,
         QStringLiteral("Fourth ") + w + QStringLiteral(" Byte (MSB) / Expl: ")
             + QString::fromLatin1(last)},
    };
}

ParameterHints canHints(int mode, int command)
{
    if (mode == kInitWrite && command == 1)
        return hints({"LEFT Digit: Mode[STD Frm:0, RTR:4, EXT Frm:8, EXT-RTR: C] / RIGHT Digit "
                      "Length[ 0..8]"});
    if (mode != kSet)
        return {};
    switch (command) {
    case 30:
        return hints({"1 CAN Active / 0 CAN Inactive"});
    case 31:
        return hints({"CAN Bit rate LSB. Expl: 0x001C(500kb) P00 = \"1C\"",
                      "CAN Bit rate MSB. Expl: 0x001C(500kb) P01 = \"00\""});
    case 32:
        return hints({"0x80: Error via RS-232 / 0x40: Error via CAN / 0x04: RS-232 / 0x02: LIN"});
    case 33: {
        auto h = fourBytes("Filter Mask", "0x1ABBCCDD P01 == \"DD\"", "0x1ABBCCDD P03 == \"1A\"");
        h[1].second = QStringLiteral("Second Filter Mask Byte / Expl: 0x1ABBCCDD P02 == \"CC\"");
        h[2].second = QStringLiteral("Third Filter Mask Byte / Expl: 0x1ABBCCDD P03 == \"BB\"");
        return h;
    }
    case 34:
    case 35:
    case 36: {
        const char *what = command == 34 ? "Filter Code" : (command == 35 ? "Offset" : "ID");
        auto h = fourBytes(what, "0x00112233 P01 == \"33\"", "0x00112233 P01 == \"00\"");
        const QString w = QString::fromLatin1(what);
        h[1].second = QStringLiteral("Second ") + w
                      + QStringLiteral(" Byte / Expl: 0x00112233 P02 == \"22\"");
        h[2].second = QStringLiteral("Third ") + w
                      + QStringLiteral(" Byte / Expl: 0x00112233 P03 == \"11\"");
        return h;
    }
    default:
        return {};
    }
}

ParameterHints linReadHints(int command)
{
    switch (command) {
    case 15:
        return hints({"IDs Selection: 0 All IDs / 1 Given ID", "LIN ID to read. Values (0..3F)"});
    case 21:
        return hints({"Number of Scheduler Entry that you want to Recover - Range 1..50"});
    case 25:
        return hints({"Index of the Slave ID + Data Configuration to Recover - Range 0..7"});
    case 27:
        return hints({"IDs range to read. Value (0..4): [00]= 0-0F , [01]= 10-1F , [02]= 20-2F , "
                      "[03]=  30-3F , [04]= Single ID",
                      "LIN ID to read. Values (0..3F): Frame Length of a Single ID"});
    case 28:
        return hints({"IDs range to read. Value (0,1): [00]= All IDs , [01]= Single ID",
                      "LIN ID to read. Value (0..3F): Frame Format of a Single ID"});
    default:
        return {};
    }
}

ParameterHints linSetHints(int command)
{
    switch (command) {
    case 30:
        return hints({"1 LIN Active - 0 LIN Inactive"});
    case 31:
        return hints({"LSB. Expl: 0x4B00(19200) P00 = \"00\" - Range: 0x3E8(1000)-0x4E20(20000)",
                      "MSB. Expl: 0x4B00(19200) P01 = \"4B\" - Range: 0x3E8(1000)-0x4E20(20000)"});
    case 32:
        return hints({"0x80: Error via RS-232 / 0x40: Error via CAN / 0x04: RS-232 / 0x01: CAN"});
    case 33:
        return hints({"Filter Mask Byte 0..FF"});
    case 34:
        return hints({"Filter Code Byte 0..FF"});
    case 36:
        return hints({"Master Status: Inactive: 00 / Active: 01"});
    case 37:
        return hints({"LIN Bus Termination: Slave: 00 / Master: 01"});
    case 38:
        return hints({"LSB for Bus Idle Timeout (1/2 bytes)",
                      "MSB for Bus Idle Timeout (2/2 bytes)",
                      "LSB for Frame Length 8 (1/2 bytes)",
                      "MSB for Frame Length 8 (2/2 bytes)",
                      "LSB for Frame Length 4 (1/2 bytes)",
                      "MSB for Frame Length 4 (2/2 bytes)",
                      "LSB for Frame Length 2 (1/2 bytes)",
                      "MSB for Frame Length 2 (2/2 bytes)"});
    case 39:
        return hints({"Byte for number of Messages Retry.  0..FF"});
    case 40:
        return hints(
            {"LSB for Time Stamp (Minimun 01)", "MSB for Time Stamp", "Byte for LIN ID. 0..3F"});
    case 41:
        return hints({"Slave ID/Data Configuration Status: 1 Enable / 0 Disable",
                      "LIN ID Byte.  Range 0..3F"});
    case 42:
        return hints({"Bit rate recognition: 1 Enable / 0 Disable"});
    case 43:
        return hints({"Range (0..4): [00]= Set 0-15 / [01]= Set 16-31 / [02]= Set 32-47 / [03]= "
                      "Set 48-63 / [04]= Single ID"});
    case 44:
        return hints({"Range (0-1): [00]= Set All IDs (64 bit) / [01]= Set Single ID"});
    case 45: {
        auto h = fourBytes("ID", "0x00112233 P01 == \"33\"", "");
        h[1].second = QStringLiteral("Second ID Byte / Expl: 0x00112233 P02 == \"22\"");
        h[2].second = QStringLiteral("Third ID Byte / Expl: 0x00112233 P03 == \"11\"");
        h[3].second = QStringLiteral("Fourth ID Byte (MSB) [Bit7]: 1=29 bits / 0=11 Bits. [Bit6]: "
                                     "1=ID Enabled  / 0=ID Disabled");
        return h;
    }
    case 46:
        return hints({"0: Set all IDs / 1: Set single ID"});
    default:
        return {};
    }
}

} // namespace

QString DataByteHint(int index)
{
    return QStringLiteral("Data Byte [")
           + QString::number(index).rightJustified(2, QLatin1Char('0')) + QStringLiteral("]");
}

ParameterHints CommandHints(int group, int mode, int command)
{
    switch (group) {
    case kRs232:
        if (mode == kSet && command == 31)
            return hints({"LSB. 12C0h(4800),2580h(9600),4B00h(19200),9600h(38400),E100h(57600),"
                          "1C200h(115200)",
                          "MSB. 12C0h(4800),2580h(9600),4B00h(19200),9600h(38400),E100h(57600),"
                          "1C200h(115200)"});
        return {};
    case kCan:
        return canHints(mode, command);
    case kLin:
        if (mode == kInitWrite)
            return hints({"LIN ID: Request Mode: 0..3F / Response Mode: ID(0..3F) OR 0x80"});
        if (mode == kRead)
            return linReadHints(command);
        if (mode == kSet)
            return linSetHints(command);
        return {};
    default:
        return {};
    }
}

} // namespace vxl
