#include "core/profiles/profile_document.h"

#include "core/profiles/bounded_file.h"
#include "core/profiles/in_place_writer.h"
#include "core/profiles/profile_lists.h"
#include "core/profiles/profile_validator.h"
#include "core/profiles/xml_values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <pugixml.hpp>

#include <limits>
#include <mutex>

namespace vxl {

namespace {

constexpr const char *kRoot = "VXLIN_PROFILE";
constexpr const char *kComment = "VEXA-LIN CT profile.";

// A profile the tool writes is a few dozen kilobytes and six levels deep. Unknown elements are
// kept, so a file may hold more, but past these limits it is refused: saving writes two blanks
// of indentation per level on every line, so the saved size grows with the square of the depth.
constexpr qint64 kMaxProfileBytes = 16 * 1024 * 1024;
constexpr int kMaxProfileDepth = 64;

std::mutex g_writerMutex;
clsVLINXMLProfile::FileWriter g_writer;

// The element must hold digit text and nothing else.
bool parseDigits(const pugi::xml_node &node, std::uint64_t max, std::uint64_t *value)
{
    return node && !HoldsElements(node)
           && ParseDigitText(node.child_value(), max, value) == DigitText::Number;
}

bool parseAttribute(const pugi::xml_node &node,
                    const char *name,
                    std::uint64_t max,
                    std::uint64_t *value)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    return attribute && ParseDigitText(attribute.value(), max, value) == DigitText::Number;
}

template<typename T>
bool readChild(const pugi::xml_node &group,
               const char *name,
               T *target,
               std::uint64_t max = std::numeric_limits<T>::max())
{
    std::uint64_t value = 0;
    if (!parseDigits(group.child(name), max, &value))
        return false;
    *target = static_cast<T>(value);
    return true;
}

// The depth checked is what a recursive walk would have to survive. pugixml's own walk goes
// without recursion and without a library call a step.
bool deeperThan(pugi::xml_node &top, int limit)
{
    struct DepthWalker : pugi::xml_tree_walker
    {
        int limit = 0;
        bool deeper = false;
        bool for_each(pugi::xml_node &) override
        {
            // depth() counts from 0 for the children of the node walked.
            deeper = depth() + 1 > limit;
            return !deeper;
        }
    } walker;
    walker.limit = limit;
    top.traverse(walker);
    return walker.deeper;
}

pugi::xml_node findOrAppend(pugi::xml_node parent, const char *name)
{
    pugi::xml_node node = parent.child(name);
    return node ? node : parent.append_child(name);
}

void setValue(pugi::xml_node parent, const char *name, std::uint64_t value)
{
    findOrAppend(parent, name).text().set(static_cast<unsigned long long>(value));
}

bool readBytes(const pugi::xml_node &data,
               int length,
               std::array<std::uint8_t, kFrameDataBytes> *bytes)
{
    if (!data)
        return false;
    pugi::xml_node byte = FirstElement(data);
    for (int i = 0; i < length; ++i, byte = ElementAfter(byte)) {
        std::uint64_t value = 0;
        if (!parseDigits(byte, 255, &value))
            return false;
        (*bytes)[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    return true;
}

} // namespace

clsVLINXMLProfile::clsVLINXMLProfile()
    : m_doc(std::make_unique<pugi::xml_document>())
{
    std::uint32_t baudrate = 0;
    CAN_Group can;
    LIN_Group lin;
    FillDefaults(&baudrate, &can, &lin);
    lin.SlaveIdData = DefaultSlaveIdData();
    DefaultFrames(lin);

    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-16");
    doc.append_child(pugi::node_comment).set_value(kComment);
    pugi::xml_node root = doc.append_child(kRoot);
    root.append_attribute("Version").set_value("1");
    root.append_child("RS-232").append_attribute("Group").set_value(0);
    root.append_child("CAN").append_attribute("Group").set_value(1);
    root.append_child("LIN").append_attribute("Group").set_value(2);
    resetDocument(&doc);
    m_active = true;
    WriteRS232(baudrate);
    WriteCAN(can);
    WriteLIN(lin);
    m_defaultImage = Serialize();
    Close();
}

clsVLINXMLProfile::~clsVLINXMLProfile() = default;

clsVLINXMLProfile &clsVLINXMLProfile::operator=(clsVLINXMLProfile &&other) noexcept = default;

void clsVLINXMLProfile::SetFileWriterForTesting(FileWriter writer)
{
    std::lock_guard lock(g_writerMutex);
    g_writer = std::move(writer);
}

namespace {

// pugixml hands its output over in blocks; they go straight into the bytes returned.
class ByteArrayWriter : public pugi::xml_writer
{
public:
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
    }
    QByteArray bytes;
};

} // namespace

QByteArray clsVLINXMLProfile::Serialize() const
{
    ByteArrayWriter out;
    m_doc->save(out, "  ", pugi::format_indent | pugi::format_write_bom, pugi::encoding_utf16_le);
    return out.bytes;
}

namespace {

// The parser takes bytes that are not valid in the document's encoding, and saving would then
// silently drop them, changing what the file said; such a document is not well-formed XML.
bool validText(const QByteArray &image, pugi::xml_encoding encoding)
{
    std::optional<QStringConverter::Encoding> qtEncoding;
    if (encoding == pugi::encoding_utf8)
        qtEncoding = QStringConverter::Utf8;
    else if (encoding == pugi::encoding_utf16_le)
        qtEncoding = QStringConverter::Utf16LE;
    else if (encoding == pugi::encoding_utf16_be)
        qtEncoding = QStringConverter::Utf16BE;
    if (!qtEncoding)
        return true;
    QStringDecoder decoder(*qtEncoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(image);
    return !decoder.hasError();
}

QString encodingName(pugi::xml_encoding encoding)
{
    if (encoding == pugi::encoding_utf8)
        return QStringLiteral("UTF-8");
    return QStringLiteral("UTF-16");
}

// Why a file could not be taken in at all.
QString unreadableFileReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("not a file");
    if (info.size() > kMaxProfileBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxProfileBytes);
    return QStringLiteral("the file cannot be read");
}

} // namespace

// What was written last describes the document it went into, so it goes with that document.
void clsVLINXMLProfile::resetDocument(const pugi::xml_document *from)
{
    if (from)
        m_doc->reset(*from);
    else
        m_doc->reset();
    m_writtenFrames.reset();
}

bool clsVLINXMLProfile::loadImage(const QByteArray &image)
{
    resetDocument();
    const pugi::xml_parse_result result = m_doc->load_buffer(image.constData(),
                                                             static_cast<size_t>(image.size()),
                                                             pugi::parse_default
                                                                 | pugi::parse_declaration
                                                                 | pugi::parse_comments);
    m_openError = refusal(result, image);
    if (!m_openError.isEmpty()) {
        resetDocument();
        m_active = false;
        return false;
    }
    m_active = true;
    m_modified = false;
    return true;
}

QString clsVLINXMLProfile::refusal(const pugi::xml_parse_result &result,
                                   const QByteArray &image) const
{
    if (!result)
        return QStringLiteral("not a well-formed XML file (%1 at offset %2)")
            .arg(QString::fromUtf8(result.description()))
            .arg(result.offset);
    if (!validText(image, result.encoding))
        return QStringLiteral("not a well-formed XML file (bytes that are not %1)")
            .arg(encodingName(result.encoding));
    if (!m_doc->child(kRoot))
        return QStringLiteral("%1: missing, not a VEXA-LIN profile").arg(QLatin1String(kRoot));
    if (deeperThan(*m_doc, kMaxProfileDepth))
        return QStringLiteral("nested deeper than %1 levels").arg(kMaxProfileDepth);
    return {};
}

bool clsVLINXMLProfile::IsReadableProfile(const QByteArray &bytes)
{
    clsVLINXMLProfile probe;
    probe.m_loaded = probe.loadImage(bytes);
    ModuleConfig values = ModuleConfig::NewProfile();
    return probe.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN);
}

bool clsVLINXMLProfile::LoadDefault()
{
    Close();
    m_loaded = loadImage(m_defaultImage);
    return m_loaded;
}

bool clsVLINXMLProfile::OpenFile(const QString &path)
{
    Close();
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxProfileBytes);
    if (!bytes) {
        m_openError = unreadableFileReason(path);
        return false;
    }
    if (!loadImage(*bytes))
        return false;
    m_fileName = path;
    m_loaded = true;
    return true;
}

std::optional<QString> clsVLINXMLProfile::FirstReadProblem() const
{
    if (!m_loaded || !m_active)
        return m_openError.isEmpty() ? QStringLiteral("no profile is loaded") : m_openError;
    return FirstProfileProblem(m_doc->child(kRoot));
}

void clsVLINXMLProfile::Close()
{
    m_openError.clear();
    resetDocument();
    m_active = false;
    m_fileName.clear();
    m_loaded = false;
    m_modified = false;
}

bool clsVLINXMLProfile::IsUnchangedFile() const
{
    return !m_fileName.isEmpty() && QFile::exists(m_fileName) && !m_modified;
}

bool clsVLINXMLProfile::ensureLoaded()
{
    if (!m_loaded)
        LoadDefault();
    return m_loaded && m_active;
}

bool clsVLINXMLProfile::Save()
{
    if (m_fileName.isEmpty())
        return false;
    return SaveAs(QString());
}

bool clsVLINXMLProfile::SaveAs(const QString &path)
{
    m_saveError.clear();
    m_keptBackup.clear();
    if (IsUnchangedFile() && path.isEmpty())
        return false;
    const QString target = path.isEmpty() ? m_fileName : path;
    if (!ensureLoaded() || target.isEmpty()) {
        m_saveError = QStringLiteral("No profile to save");
        return false;
    }
    SafeWriteOptions options;
    options.oldContentSound = IsReadableProfile;
    {
        std::lock_guard lock(g_writerMutex);
        if (g_writer)
            options.writer = g_writer;
    }
    const QByteArray image = Serialize();
    const WriteResult written = WriteFileSafely(target, image, options);
    if (!written) {
        m_saveError = written.error;
        m_keptBackup = written.keptBackup;
        return false;
    }
    if (path.isEmpty()) {
        m_modified = false;
        return true;
    }
    const QString previousName = m_fileName;
    const bool previouslyModified = m_modified;
    if (OpenFile(path))
        return true;
    // The document stays as it was, named and modified as before: whoever shows its values
    // goes on editing the very document they came from.
    m_loaded = loadImage(image);
    m_fileName = previousName;
    m_modified = previouslyModified;
    m_saveError = QStringLiteral("The saved file cannot be read again");
    return false;
}

bool clsVLINXMLProfile::SaveToTempFile()
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vxlinXXXXXX.vxlin"));
    file.setAutoRemove(false);
    if (!file.open()) {
        m_saveError = file.errorString();
        m_keptBackup.clear();
        return false;
    }
    const QString path = file.fileName();
    file.close();
    return SaveAs(path);
}

pugi::xml_node clsVLINXMLProfile::groupNode(const char *name) const
{
    if (!m_loaded || !m_active)
        return {};
    return m_doc->child(kRoot).child(name);
}

void clsVLINXMLProfile::FillDefaults(std::uint32_t *rs232Baudrate, CAN_Group *can, LIN_Group *lin)
{
    if (rs232Baudrate)
        *rs232Baudrate = RS232_Group{}.Baudrate;
    if (can) {
        const CAN_Group defaults;
        can->Active = defaults.Active;
        can->Baudrate = defaults.Baudrate;
        can->ForwardMask = defaults.ForwardMask;
        can->FilterMask = defaults.FilterMask;
        can->FilterCode = defaults.FilterCode;
        can->IdOffset = defaults.IdOffset;
        can->ErrorId = defaults.ErrorId;
    }
    if (lin) {
        const LIN_Group defaults;
        lin->Active = defaults.Active;
        lin->Baudrate = defaults.Baudrate;
        lin->ForwardMask = defaults.ForwardMask;
        lin->FilterMask = defaults.FilterMask;
        lin->FilterCode = defaults.FilterCode;
        lin->MasterStatus = defaults.MasterStatus;
        lin->BusTermination = defaults.BusTermination;
        lin->Retries = defaults.Retries;
        lin->SchedulerCount = 0;
        lin->SlaveIdData = DefaultSlaveIdData();
        lin->BitRecognitionStatus = defaults.BitRecognitionStatus;
        lin->SlaveActivationId = defaults.SlaveActivationId;
        DefaultFrameTables(*lin);
        lin->SlaveMask.fill(0);
    }
}

bool clsVLINXMLProfile::ReadAll(std::uint32_t *rs232Baudrate, CAN_Group *can, LIN_Group *lin) const
{
    if (!m_loaded)
        return false;
    return ReadRS232(rs232Baudrate) && ReadCAN(can) && ReadLIN(lin);
}

bool clsVLINXMLProfile::ReadRS232(std::uint32_t *baudrate) const
{
    const pugi::xml_node group = groupNode("RS-232");
    if (!baudrate || !group)
        return false;
    return readChild(group, "Baudrate", baudrate, std::numeric_limits<std::int32_t>::max());
}

bool clsVLINXMLProfile::ReadCAN(CAN_Group *can) const
{
    const pugi::xml_node group = groupNode("CAN");
    if (!can || !group)
        return false;
    return readChild(group, "Active", &can->Active) && readChild(group, "Baudrate", &can->Baudrate)
           && readChild(group, "Forward_Mask", &can->ForwardMask)
           && readChild(group, "Filter_Mask", &can->FilterMask)
           && readChild(group, "Filter_Code", &can->FilterCode)
           && readChild(group, "ID_Offset", &can->IdOffset)
           && readChild(group, "Error_ID", &can->ErrorId);
}

bool clsVLINXMLProfile::ReadLIN(LIN_Group *lin) const
{
    const pugi::xml_node group = groupNode("LIN");
    if (!lin || !group)
        return false;
    if (!(readChild(group, "Active", &lin->Active) && readChild(group, "Baudrate", &lin->Baudrate)
          && readChild(group, "Forward_Mask", &lin->ForwardMask)
          && readChild(group, "Filter_Mask", &lin->FilterMask)
          && readChild(group, "Filter_Code", &lin->FilterCode)
          && readChild(group, "Master_Status", &lin->MasterStatus)
          && readChild(group, "Bus_Termination", &lin->BusTermination)
          && readChild(group, "Retries", &lin->Retries)))
        return false;

    const pugi::xml_node scheduler = group.child("Scheduler_Entries");
    std::uint64_t count = 0;
    // A count beyond the scheduler's 50 entries cannot be held.
    if (!scheduler || !parseAttribute(scheduler, "Count", 0xFFFFFFFF, &count)
        || (count & 0xFFFF) > kMaxSchedulerEntries)
        return false;
    lin->SchedulerCount = static_cast<std::uint16_t>(count & 0xFFFF);
    pugi::xml_node entry = FirstElement(scheduler);
    for (int i = 0; i < lin->SchedulerCount; ++i, entry = ElementAfter(entry)) {
        std::uint64_t id = 0;
        std::uint64_t time = 0;
        if (!parseDigits(entry, 255, &id) || !parseAttribute(entry, "Time", 0xFFFFFFFF, &time))
            return false;
        lin->SchedulerEntries[static_cast<std::size_t>(i)] = {static_cast<std::uint16_t>(time
                                                                                         & 0xFFFF),
                                                              static_cast<std::uint8_t>(id)};
    }

    const pugi::xml_node slave = group.child("SlaveId_Data");
    // The slave ID may be any byte the module reports; it is no index into the frame table.
    if (!slave || !readChild(slave, "ID", &lin->SlaveIdData.ID)
        || !readChild(slave, "Active", &lin->SlaveIdData.Active)
        || !readChild(slave, "Length", &lin->SlaveIdData.Length, kFrameDataBytes)
        || !readBytes(slave.child("Data"), lin->SlaveIdData.Length, &lin->SlaveIdData.Data))
        return false;

    if (!readChild(group, "Bit_Recognition_Status", &lin->BitRecognitionStatus)
        || !readChild(group, "Slave_Activation_ID", &lin->SlaveActivationId))
        return false;

    const pugi::xml_node frames = group.child("Frame_Configuration");
    if (!frames || ElementCount(frames) > kFrameCount)
        return false;
    const int frameCount = ElementCount(frames);
    pugi::xml_node frame = FirstElement(frames);
    for (int k = 0; k < frameCount; ++k, frame = ElementAfter(frame)) {
        LIN_FrameEntry &entry = lin->Frames[static_cast<std::size_t>(k)];
        std::uint64_t active = 0;
        std::uint64_t length = 0;
        std::uint64_t format = 0;
        if (!readChild(frame, "ID", &entry.ID, kMaxLinId)
            || !parseDigits(frame.child("Active"), 255, &active))
            return false;
        entry.Active = static_cast<std::uint8_t>(active);
        SetBit(lin->SlaveMask, entry.ID, active != 0);
        if (!parseDigits(frame.child("Length"), kFrameDataBytes, &length))
            return false;
        entry.Length = static_cast<std::uint8_t>(length);
        SetNibble(lin->FrameLengths, k, static_cast<int>(length));
        if (!parseDigits(frame.child("Format"), 1, &format))
            return false;
        SetBit(lin->FrameFormats, k, format != 0);
        if (!readBytes(frame.child("Data"), entry.Length, &entry.Data))
            return false;
    }
    return true;
}

bool clsVLINXMLProfile::WriteAll(std::uint32_t rs232Baudrate,
                                 const CAN_Group &can,
                                 const LIN_Group &lin)
{
    if (!ensureLoaded())
        return false;
    return WriteRS232(rs232Baudrate) && WriteCAN(can) && WriteLIN(lin);
}

bool clsVLINXMLProfile::WriteRS232(std::uint32_t baudrate)
{
    if (!m_active && !ensureLoaded())
        return false;
    pugi::xml_node group = m_doc->child(kRoot).child("RS-232");
    if (!group)
        return false;
    setValue(group, "Baudrate", baudrate);
    m_modified = true;
    return true;
}

bool clsVLINXMLProfile::WriteCAN(const CAN_Group &can)
{
    if (!m_active && !ensureLoaded())
        return false;
    pugi::xml_node group = m_doc->child(kRoot).child("CAN");
    if (!group)
        return false;
    setValue(group, "Active", can.Active);
    setValue(group, "Baudrate", can.Baudrate);
    setValue(group, "Forward_Mask", can.ForwardMask);
    setValue(group, "Filter_Mask", can.FilterMask);
    setValue(group, "Filter_Code", can.FilterCode);
    setValue(group, "ID_Offset", can.IdOffset);
    setValue(group, "Error_ID", can.ErrorId);
    m_modified = true;
    return true;
}

bool clsVLINXMLProfile::WriteLIN(const LIN_Group &lin)
{
    if (!m_active && !ensureLoaded())
        return false;
    pugi::xml_node root = m_doc->child(kRoot);
    if (!root)
        return false;
    pugi::xml_node group = findOrAppend(root, "LIN");
    setValue(group, "Active", lin.Active);
    setValue(group, "Baudrate", lin.Baudrate);
    setValue(group, "Forward_Mask", lin.ForwardMask);
    setValue(group, "Filter_Mask", lin.FilterMask);
    setValue(group, "Filter_Code", lin.FilterCode);
    setValue(group, "Master_Status", lin.MasterStatus);
    setValue(group, "Bus_Termination", lin.BusTermination);
    setValue(group, "Retries", lin.Retries);

    pugi::xml_node scheduler = findOrAppend(group, "Scheduler_Entries");
    const int count = std::min<int>(lin.SchedulerCount, kMaxSchedulerEntries);
    pugi::xml_attribute countAttribute = scheduler.attribute("Count");
    if (!countAttribute)
        countAttribute = scheduler.append_attribute("Count");
    countAttribute.set_value(count);
    WriteSchedulerList(scheduler, lin);

    pugi::xml_node slave = findOrAppend(group, "SlaveId_Data");
    setValue(slave, "ID", lin.SlaveIdData.ID);
    setValue(slave, "Active", lin.SlaveIdData.Active);
    setValue(slave, "Length", std::min<int>(lin.SlaveIdData.Length, kFrameDataBytes));
    WriteDataBytes(findOrAppend(slave, "Data"), lin.SlaveIdData.Data, lin.SlaveIdData.Length);

    setValue(group, "Bit_Recognition_Status", lin.BitRecognitionStatus);
    setValue(group, "Slave_Activation_ID", lin.SlaveActivationId);

    WriteFrameTable(findOrAppend(group, "Frame_Configuration"), lin, m_writtenFrames);
    m_modified = true;
    return true;
}

} // namespace vxl
