#include "cli/profile_validator.h"

#include "core/module/module_config.h"

#include <QFile>
#include <QFileInfo>

#include <pugixml.hpp>

#include <cstdint>
#include <limits>

namespace vxl::cli {

namespace {

using Problem = std::optional<QString>;

int elementCount(const pugi::xml_node &parent)
{
    int count = 0;
    for (auto child = parent.first_child(); child; child = child.next_sibling())
        count += child.type() == pugi::node_element ? 1 : 0;
    return count;
}

pugi::xml_node elementAt(const pugi::xml_node &parent, int position)
{
    int index = 0;
    for (auto child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && index++ == position)
            return child;
    return {};
}

// Plain decimal digits up to max, as the profile reader takes them.
Problem checkDigits(const QString &path, const char *text, std::uint64_t max)
{
    const QString shown = QString::fromUtf8(text);
    bool digits = *text != '\0';
    std::uint64_t value = 0;
    for (const char *p = text; *p && digits; ++p) {
        digits = *p >= '0' && *p <= '9';
        value = value * 10 + std::uint64_t(*p - '0');
        if (value > max)
            return path + QStringLiteral(": \"%1\" is above %2").arg(shown).arg(max);
    }
    if (!digits)
        return path + QStringLiteral(": \"%1\" is not a number from 0 to %2").arg(shown).arg(max);
    return std::nullopt;
}

Problem checkValue(const pugi::xml_node &parent,
                   const QString &parentPath,
                   const char *name,
                   std::uint64_t max)
{
    const QString path = parentPath + QLatin1Char('/') + QLatin1String(name);
    const pugi::xml_node node = parent.child(name);
    if (!node)
        return path + QStringLiteral(": missing");
    if (node.find_child([](pugi::xml_node c) { return c.type() == pugi::node_element; }))
        return path + QStringLiteral(": holds elements instead of a value");
    return checkDigits(path, node.child_value(), max);
}

Problem checkAttribute(const pugi::xml_node &node,
                       const QString &path,
                       const char *name,
                       std::uint64_t max)
{
    const QString at = path + QStringLiteral("@") + QLatin1String(name);
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        return at + QStringLiteral(": missing");
    return checkDigits(at, attribute.value(), max);
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
    for (int i = 0; i < length; ++i) {
        const pugi::xml_node byte = elementAt(data, i);
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
    if (const auto p = checkAttribute(scheduler, path, "Count", kMaxSchedulerEntries))
        return p;
    const int count = scheduler.attribute("Count").as_int();
    for (int i = 0; i < count; ++i) {
        const QString entryPath = path + QStringLiteral("/Entry[%1]").arg(i);
        const pugi::xml_node entry = elementAt(scheduler, i);
        if (!entry)
            return entryPath + QStringLiteral(": missing (Count is %1)").arg(count);
        if (const auto p = firstOf(checkDigits(entryPath, entry.child_value(), 255),
                                   checkAttribute(entry, entryPath, "Time", 0xFFFFFFFF)))
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
    const pugi::xml_node frames = lin.child("Frame_Configuration");
    const QString framesPath = path + QStringLiteral("/Frame_Configuration");
    if (!frames)
        return framesPath + QStringLiteral(": missing");
    if (elementCount(frames) > kFrameCount)
        return framesPath + QStringLiteral(": more than %1 frames").arg(kFrameCount);
    for (int k = 0; k < elementCount(frames); ++k)
        if (const auto p = checkFrame(elementAt(frames, k),
                                      framesPath + QStringLiteral("/Frame[%1]").arg(k)))
            return p;
    return std::nullopt;
}

Problem checkRoot(const pugi::xml_node &root)
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

} // namespace

std::optional<QString> FirstProfileProblem(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo(path).isFile())
        return QStringLiteral("vexalin-cli: the file \"%1\" does not exist").arg(path);
    pugi::xml_document document;
    const auto result = document.load_file(QFile::encodeName(path).constData(),
                                           pugi::parse_default | pugi::parse_declaration
                                               | pugi::parse_comments);
    if (!result)
        return QStringLiteral("%1: not a well-formed XML file (%2 at offset %3)")
            .arg(name, QString::fromUtf8(result.description()))
            .arg(result.offset);
    const pugi::xml_node root = document.child("VXLIN_PROFILE");
    if (!root)
        return QStringLiteral("%1: VXLIN_PROFILE: missing, not a VEXA-LIN profile").arg(name);
    if (const auto problem = checkRoot(root))
        return name + QStringLiteral(": ") + *problem;
    return std::nullopt;
}

} // namespace vxl::cli
