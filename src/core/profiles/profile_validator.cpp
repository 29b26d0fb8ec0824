#include "core/profiles/profile_validator.h"

#include "core/module/module_config.h"
#include "core/profiles/xml_values.h"

#include <pugixml.hpp>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <utility>

namespace vxl {

namespace {

using Problem = std::optional<QString>;

// Where a value is kept: the text of a child element, or an attribute.
enum class Kept { AsElement, AsAttribute };

Problem checkDigits(const QString &path, const char *text, std::uint64_t max)
{
    std::uint64_t value = 0;
    switch (ParseDigitText(text, max, &value)) {
    case DigitText::Number:
        return std::nullopt;
    case DigitText::AboveMax:
        return path + QStringLiteral(": \"%1\" is above %2").arg(QString::fromUtf8(text)).arg(max);
    case DigitText::NotANumber:
        break;
    }
    return path
           + QStringLiteral(": \"%1\" is not a number from 0 to %2")
                 .arg(QString::fromUtf8(text))
                 .arg(max);
}

// The value named name of owner; only how its text is found depends on where it is kept.
Problem checkValue(const pugi::xml_node &owner,
                   const QString &ownerPath,
                   const char *name,
                   std::uint64_t max,
                   Kept kept = Kept::AsElement)
{
    const bool attribute = kept == Kept::AsAttribute;
    const QString path = ownerPath + QLatin1Char(attribute ? '@' : '/') + QLatin1String(name);
    const pugi::xml_node element = attribute ? pugi::xml_node() : owner.child(name);
    const pugi::xml_attribute held = attribute ? owner.attribute(name) : pugi::xml_attribute();
    if (attribute ? !held : !element)
        return path + QStringLiteral(": missing");
    if (!attribute && HoldsElements(element))
        return path + QStringLiteral(": holds elements instead of a value");
    return checkDigits(path, attribute ? held.value() : element.child_value(), max);
}

template<typename... Rest>
Problem firstOf(Problem first, Rest... rest)
{
    if (first)
        return first;
    if constexpr (sizeof...(rest) > 0)
        return firstOf(rest...);
    return std::nullopt;
}

Problem checkBytes(const pugi::xml_node &owner, const QString &path, int length)
{
    const pugi::xml_node data = owner.child("Data");
    if (!data)
        return path + QStringLiteral("/Data: missing");
    pugi::xml_node byte = FirstElement(data);
    for (int i = 0; i < length; ++i, byte = ElementAfter(byte)) {
        const QString bytePath = path + QStringLiteral("/Data/Byte[%1]").arg(i);
        if (!byte)
            return bytePath + QStringLiteral(": missing (Length is %1)").arg(length);
        if (const auto p = checkDigits(bytePath, byte.child_value(), 255))
            return p;
    }
    return std::nullopt;
}

Problem checkGroupValues(const pugi::xml_node &group,
                         const QString &path,
                         std::initializer_list<std::pair<const char *, std::uint64_t>> values)
{
    for (const auto &[name, max] : values)
        if (const auto p = checkValue(group, path, name, max))
            return p;
    return std::nullopt;
}

Problem checkScheduler(const pugi::xml_node &lin)
{
    const QString path = QStringLiteral("LIN/Scheduler_Entries");
    const pugi::xml_node scheduler = lin.child("Scheduler_Entries");
    if (!scheduler)
        return path + QStringLiteral(": missing");
    if (const auto p = checkValue(scheduler, path, "Count", kMaxSchedulerEntries, Kept::AsAttribute))
        return p;
    const int count = scheduler.attribute("Count").as_int();
    pugi::xml_node entry = FirstElement(scheduler);
    for (int i = 0; i < count; ++i, entry = ElementAfter(entry)) {
        const QString entryPath = path + QStringLiteral("/Entry[%1]").arg(i);
        if (!entry)
            return entryPath + QStringLiteral(": missing (Count is %1)").arg(count);
        if (const auto p
            = firstOf(checkDigits(entryPath, entry.child_value(), 255),
                      checkValue(entry, entryPath, "Time", 0xFFFFFFFF, Kept::AsAttribute)))
            return p;
    }
    return std::nullopt;
}

Problem checkFrame(const pugi::xml_node &frame, const QString &path)
{
    if (const auto p = checkGroupValues(frame,
                                        path,
                                        {{"ID", kMaxLinId},
                                         {"Active", 255},
                                         {"Length", kFrameDataBytes},
                                         {"Format", 1}}))
        return p;
    return checkBytes(frame, path, frame.child("Length").text().as_int());
}

Problem checkFrames(const pugi::xml_node &lin, const QString &linPath)
{
    const pugi::xml_node frames = lin.child("Frame_Configuration");
    const QString path = linPath + QStringLiteral("/Frame_Configuration");
    if (!frames)
        return path + QStringLiteral(": missing");
    if (ElementCount(frames) > kFrameCount)
        return path + QStringLiteral(": more than %1 frames").arg(kFrameCount);
    int k = 0;
    for (pugi::xml_node frame = FirstElement(frames); frame; frame = ElementAfter(frame), ++k)
        if (const auto p = checkFrame(frame, path + QStringLiteral("/Frame[%1]").arg(k)))
            return p;
    return std::nullopt;
}

Problem checkLin(const pugi::xml_node &lin)
{
    const QString path = QStringLiteral("LIN");
    if (const auto p = checkGroupValues(lin,
                                        path,
                                        {{"Active", 0xFFFF},
                                         {"Baudrate", 0xFFFF},
                                         {"Forward_Mask", 0xFF},
                                         {"Filter_Mask", 0xFFFF},
                                         {"Filter_Code", 0xFFFF},
                                         {"Master_Status", 0xFFFF},
                                         {"Bus_Termination", 0xFFFF},
                                         {"Retries", 0xFFFF}}))
        return p;
    if (const auto p = checkScheduler(lin))
        return p;
    const pugi::xml_node slave = lin.child("SlaveId_Data");
    const QString slavePath = path + QStringLiteral("/SlaveId_Data");
    if (!slave)
        return slavePath + QStringLiteral(": missing");
    if (const auto p = checkGroupValues(slave,
                                        slavePath,
                                        {{"ID", kMaxLinId}, {"Active", 255}, {"Length", 8}}))
        return p;
    if (const auto p = firstOf(checkBytes(slave, slavePath, slave.child("Length").text().as_int()),
                               checkGroupValues(lin,
                                                path,
                                                {{"Bit_Recognition_Status", 0xFF},
                                                 {"Slave_Activation_ID", 0xFFFFFFFF}})))
        return p;
    return checkFrames(lin, path);
}

} // namespace

std::optional<QString> FirstProfileProblem(const pugi::xml_node &root)
{
    const pugi::xml_node rs232 = root.child("RS-232");
    const pugi::xml_node can = root.child("CAN");
    const pugi::xml_node lin = root.child("LIN");
    if (!rs232)
        return QStringLiteral("RS-232: missing");
    if (const auto p = checkValue(rs232,
                                  QStringLiteral("RS-232"),
                                  "Baudrate",
                                  std::uint64_t(std::numeric_limits<std::int32_t>::max())))
        return p;
    if (!can)
        return QStringLiteral("CAN: missing");
    if (const auto p = checkGroupValues(can,
                                        QStringLiteral("CAN"),
                                        {{"Active", 0xFFFF},
                                         {"Baudrate", 0xFFFF},
                                         {"Forward_Mask", 0xFFFF},
                                         {"Filter_Mask", 0xFFFFFFFF},
                                         {"Filter_Code", 0xFFFFFFFF},
                                         {"ID_Offset", 0xFFFFFFFF},
                                         {"Error_ID", 0xFFFFFFFF}}))
        return p;
    if (!lin)
        return QStringLiteral("LIN: missing");
    return checkLin(lin);
}

} // namespace vxl
