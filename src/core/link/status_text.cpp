#include "core/link/status_text.h"

#include <map>

namespace vxl {

namespace {

QString hexText(std::uint32_t code, const char *format)
{
    return QString::asprintf(format, code) + QLatin1Char('h');
}

QString linkText(std::uint32_t code)
{
    static const std::map<std::uint32_t, const char *> texts{
        {0, "No error."},
        {32, "The port can not be opened."},
        {33, "Impossible to make that port configuration."},
        {34, "Impossible to set port timeouts."},
        {35, "The port can not read."},
        {36, "The port can not write."},
        {37, "The port can not be closed."},
        {38, "Impossible to clear the port."},
        {39, "The port is not Available."},
        {40, "The reception queue of the port is full."},
        {64, "A VEXA-LIN module could not be confirmed."},
        {65, "Impossible to clear."},
        {66, "The sending queue of the VEXA-LIN object is full."},
        {67, "A writing operation of a LIN message failed."},
        {68, "The structure for message reception is invalid."},
        {69, "The reciving queue of the VEXA-LIN object is empty."},
        {70, "The current Bit rate is not allowed."},
        {71, "The receiving queue of the VEXA-LIN object is full."},
        {72, "Attempting to send a message with an invalid sequence number."},
    };
    const auto it = texts.find(code);
    return it != texts.end() ? QString::fromLatin1(it->second)
                             : hexText(code, "LIN Object Error: %X");
}

QString moduleText(std::uint32_t code)
{
    static const char *const texts[] = {
        "No error.",
        "Invalid checksum.",
        "Buffer overrun in RS-232 communication.",
        "Invalid forward mask.",
        "This instruction is not applicable for this group.",
        "The given value is out of range.",
        "The master scheduler is empty.",
        "The given parameters are invalid.",
        "The given group is invalid.",
        "This instruction is not supported.",
        "A permissible instruction experienced an error condition and failed.",
        "LIN Scheduler is running OR Module not in Master Mode.",
        "The given timestamp is invalid.",
    };
    if (code < std::size(texts))
        return QString::fromLatin1(texts[code]);
    return hexText(code, "Module Return Error: %X");
}

struct LinErrorText
{
    const char *withId;    // with the identifier inserted, or the only text
    const char *withoutId; // when no identifier is available; null for codes without one
    int type;
};

QString linText(std::uint32_t code, const LIN_Msg *msg, int *entryType)
{
    static const LinErrorText texts[] = {
        {"No error.", nullptr, EntryError},
        {"Buffer overrun.", nullptr, EntryError},
        {"Invalid stop bit discovered.", nullptr, EntryError},
        {"Invalid BREAK in protocol stack discovered.", nullptr, EntryError},
        {"Invalid synchronization byte discovered.", nullptr, EntryError},
        {"Error in LIN-ID parity bit 0.", nullptr, EntryError},
        {"Error in LIN-ID parity bit 1.", nullptr, EntryError},
        {"Invalid data received.", nullptr, EntryError},
        {"Invalid frame checksum received. Possibly wrong checksum-model defined. ID: 0x%.2X",
         "Invalid frame checksum received. Possibly wrong checksum-model defined. ID not "
         "available.",
         EntryError},
        {"Frame timeout (possibly inter-byte space + response space too long). ID: 0x%.2X",
         "Frame timeout (possibly inter-byte space + response space too long). ID not available.",
         EntryWarning},
        {"Slave not responding. ID: 0x%.2X",
         "Slave not responding. ID not available.",
         EntryWarning},
        {"Header incomplete.", nullptr, EntryStatus},
        {"Wakeup detected.", nullptr, EntryStatus},
        {"LIN line possibly shorted to power.", nullptr, EntryError},
        {"LIN frame corrupted by a new header. ID: 0x%.2X",
         "LIN frame corrupted by a new header. ID not available.",
         EntryWarning},
        {"LIN Bus state changed to Idle.", nullptr, EntryStatus},
        {"The Bit rate recognition process got a timeout and was unsuccessful.",
         nullptr,
         EntryWarning},
        {"The Bit rate recognition process finished successfully.", nullptr, EntryStatus},
        {"LIN line possibly shorted to ground.", nullptr, EntryError},
    };
    if (code >= std::size(texts)) {
        if (entryType)
            *entryType = EntryError;
        return hexText(code, "LIN Error: 0x%.2X");
    }
    const LinErrorText &entry = texts[code];
    if (entryType)
        *entryType = entry.type;
    if (!entry.withoutId)
        return QString::fromLatin1(entry.withId);
    if (msg && HeaderField(msg->header, 2) > 1)
        return QString::asprintf(entry.withId, static_cast<unsigned>(msg->data[1]));
    return QString::fromLatin1(entry.withoutId);
}

QString canText(std::uint32_t code)
{
    switch (code) {
    case 0:
        return QStringLiteral("None error.  All okay");
    case 1:
        return QStringLiteral("CAN controller went to bus-off status.");
    case 2:
        return QStringLiteral("CAN controller went to bus-passive status.");
    case 4:
        return QStringLiteral("CAN controller is again in bus-active status (after a bus-passive "
                              "or bus-off status).");
    case 8:
        return QStringLiteral(
            "Overflow in the receive buffer of SJA1000 discovered (message loss).");
    case 16:
        return QStringLiteral(
            "One of the internal error counters of SJA1000 reached a pre-defined limit.");
    case 32:
        return QStringLiteral("The pre-defined error warning limit of SJA1000 was exceeded.");
    default:
        return hexText(code, "CAN Error: %X");
    }
}

} // namespace

QString StatusText(std::uint32_t code, int family, const LIN_Msg *msg, int *entryType)
{
    switch (family) {
    case LinkStatus:
        return linkText(code);
    case ModuleReturn:
        return moduleText(code);
    case LinError:
        return linText(code, msg, entryType);
    case CanStatus:
        return canText(code);
    default:
        return {};
    }
}

QString OperatorMessage(int id, std::uint32_t first, std::uint32_t second)
{
    switch (id) {
    case 0:
        return QStringLiteral("Try to connect to port/module: ") + QString::number(first)
               + QStringLiteral(" failed") + QStringLiteral(" with message \"")
               + StatusText(second, LinkStatus) + QStringLiteral("\".")
               + QStringLiteral("\r\nDo you want to try again?");
    case 3:
        return QStringLiteral("The TIME OUT for waiting an answer from the module: ")
               + QString::number(first)
               + (first == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds"))
               + QStringLiteral(" was reached.  Timeout reached processing the LIN group: ")
               + QString::number(second % 256) + QStringLiteral(" - LIN code: ")
               + QString::number(second / 256);
    case 5:
        return QStringLiteral("Error retreiving information from the module.  Check the ")
               + QStringLiteral("RS-232 connection, the program connection and try again. ");
    case 6: {
        if (second >= 4)
            return QStringLiteral("Error sending the profile to the Module: ")
                   + StatusText(second - 4, ModuleReturn);
        QString text = QStringLiteral("Error sending the profile to the module. Timeout reached "
                                      "waiting an acknowledge message ");
        if (first == 1)
            text += QStringLiteral(" for RS-232 group settings.");
        else if (first == 2)
            text += QStringLiteral(" for CAN group settings.");
        else
            text += QStringLiteral(" for LIN group settings.");
        if (second == 1)
            text += QStringLiteral(" Could not initialize group.");
        else if (second == 2)
            text += QStringLiteral(" Could not write configuration in the flash memory.");
        else if (second == 3)
            text += QStringLiteral(" Probably you have changed the RS-232 Bit rate and ")
                    + QStringLiteral(" the connection was lost after initializing the group.");
        return text;
    }
    case 7: {
        if (first == 4)
            return QStringLiteral("Try to connect/reconnect with the port ")
                   + QString::number(second & 0xFF) + QStringLiteral(" with ")
                   + QString::number(second >> 8) + QStringLiteral(" kbs.")
                   + QStringLiteral("Check the configuration and hardware.");
        QString text = QStringLiteral("The connection to the module was broken.");
        if (first == 0) {
            if (second == 0)
                text += QStringLiteral(" Probably you have initialized the RS-232 group with a ");
            text
                += QStringLiteral("different Bit rate that the used for the current connection. ")
                   + QStringLiteral(
                       "Please check the connection. (Shift+Ctrl+C to open the connection dialog)");
        }
        return text;
    }
    case 10:
        return QStringLiteral("You have scheduler entries in the profile to be send.  The current "
                              "scheduler in the module ")
               + QStringLiteral("will be reset and the new entries will be charged.  Continue?");
    case 11:
        return QStringLiteral("A timeout was reached while waiting for frame configuration "
                              "information. Waiting an acknowledge message from Group 2 code ")
               + QString::number(first);
    default:
        return {};
    }
}

} // namespace vxl
