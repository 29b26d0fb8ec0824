// Legacy binary profiles, built here byte by byte, converted into XML profiles.

#include "core/profiles/profile_converter.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace vxl;
using vxl::test::legacyHead;
using vxl::test::writeFile;

namespace {

// Writes little-endian fields at offsets of a growing byte image.
class LegacyImage
{
public:
    explicit LegacyImage(const QByteArray &version)
        : m_bytes(legacyHead(version))
    {}
    void put(int offset, std::uint32_t value, int size)
    {
        if (m_bytes.size() < offset + size)
            m_bytes.resize(offset + size, '\0');
        for (int i = 0; i < size; ++i)
            m_bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    void resize(int size) { m_bytes.resize(size, '\0'); }
    [[nodiscard]] QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

struct LayoutAt
{
    int rs232, can, lin, scheduler, slave, bitRecognition, frameTables, slaveActivation;
    bool wideRate;
};

const LayoutAt kShort{10, 18, 46, 106, 40, 56, -1, -1, false};
const LayoutAt kLong{10, 18, 46, 146, 40, 56, 57, -1, false};
const LayoutAt kVersion10{10, 20, 60, 1088, 89, 40, 49, 104, true};

QByteArray buildLegacy(const LayoutAt &at, const QByteArray &version, int schedulerCount)
{
    LegacyImage image(version);
    image.resize(at.scheduler);
    image.put(at.rs232, 57600, at.wideRate ? 4 : 2);
    image.put(at.can + 0, 1, 2);
    image.put(at.can + 2, 0x011C, 2);
    image.put(at.can + 4, 0x84, 2);
    image.put(at.can + 8, 0x1FFFFFFF, 4);
    image.put(at.can + 12, 0x12345678, 4);
    image.put(at.can + 16, 0x80000123, 4);
    if (at.wideRate)
        image.put(at.can + 28, 0x80000456, 4);
    image.put(at.lin + 0, 1, 2);
    image.put(at.lin + 2, 10417, 2);
    image.put(at.lin + 4, 0x05, 1);
    image.put(at.lin + 6, 0xF0, 2);
    image.put(at.lin + 8, 0x0F, 2);
    image.put(at.lin + 10, 1, 2);
    image.put(at.lin + 12, 1, 2);
    image.put(at.lin + 14, 999, 2); // a time-out: never reaches a profile
    image.put(at.lin + 22, 3, 2);
    image.put(at.lin + 24, static_cast<std::uint32_t>(schedulerCount), 2);
    image.put(at.lin + at.slave, 1, 1);
    image.put(at.lin + at.slave + 1, 0x21, 1);
    image.put(at.lin + at.slave + 2, 4, 1);
    for (int i = 0; i < 8; ++i)
        image.put(at.lin + at.slave + 3 + i, 0xA0 + i, 1);
    image.put(at.lin + at.bitRecognition, 1, 1);
    if (at.frameTables >= 0) {
        for (int i = 0; i < 32; ++i)
            image.put(at.lin + at.frameTables + i, 0x33, 1); // every frame 3 bytes long
        image.put(at.lin + at.frameTables + 32, 0x05, 1);    // frames 0 and 2 enhanced
    }
    if (at.slaveActivation >= 0)
        image.put(at.lin + at.slaveActivation, 0xC0000042, 4);
    for (int i = 0; i < schedulerCount; ++i) {
        image.put(at.scheduler + 4 * i, 100 + i, 2);
        image.put(at.scheduler + 4 * i + 2, i, 1);
        image.put(at.scheduler + 4 * i + 3, 0, 1);
    }
    return image.bytes();
}

} // namespace

class TestProfileConverter : public QObject
{
    Q_OBJECT

private slots:
    void convertLayouts_data();
    void convertLayouts();
    void sizeMustFitALayout();
    void refusedFiles_data();
    void refusedFiles();
    void recognize();
    void proposedTargets();
    void placeholdersInNames();
    void wrongMagicIsNeverConverted();
    void targetFromText_data();
    void targetFromText();
};

void TestProfileConverter::convertLayouts_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("count");
    QTest::newRow("short, no entries") << 0 << 0;
    QTest::newRow("short, three entries") << 0 << 3;
    QTest::newRow("long, two entries") << 1 << 2;
    QTest::newRow("version 10, fifty entries") << 2 << 50;
}

void TestProfileConverter::convertLayouts()
{
    QFETCH(int, layout);
    QFETCH(int, count);
    const LayoutAt &at = layout == 0 ? kShort : (layout == 1 ? kLong : kVersion10);
    QTemporaryDir dir;
    const QString source = dir.filePath("old.cfg.lin");
    QVERIFY(writeFile(source, buildLegacy(at, layout == 2 ? "V10" : "xyz", count)));

    clsVLINProfileConverter converter;
    converter.SetSource(source);
    QCOMPARE(converter.Target(), dir.filePath("old.cfg.vxlin"));
    QVERIFY(converter.Recognize());
    QCOMPARE(*converter.LegacyVersion(), layout == 2 ? 10 : 0);
    QVERIFY(converter.Convert());

    clsVLINXMLProfile profile;
    QVERIFY(profile.OpenFile(converter.Target()));
    ModuleConfig config;
    QVERIFY(profile.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN));
    QCOMPARE(config.RS232.Baudrate, 57600u);
    QCOMPARE(config.CAN.Baudrate, 0x011C);
    QCOMPARE(config.CAN.ForwardMask, 0x84);
    QCOMPARE(config.CAN.FilterMask, 0x1FFFFFFFu);
    QCOMPARE(config.CAN.FilterCode, 0x12345678u);
    QCOMPARE(config.CAN.IdOffset, 0x80000123u);
    QCOMPARE(config.CAN.ErrorId, layout == 2 ? 0x80000456u : 0u);
    QCOMPARE(config.LIN.SlaveActivationId, layout == 2 ? 0xC0000042u : 0u);
    QCOMPARE(config.LIN.Baudrate, 10417);
    QCOMPARE(config.LIN.ForwardMask, 0x05);
    QCOMPARE(config.LIN.FilterMask, 0xF0);
    QCOMPARE(config.LIN.FilterCode, 0x0F);
    QCOMPARE(config.LIN.MasterStatus, 1);
    QCOMPARE(config.LIN.BusTermination, 1);
    QCOMPARE(config.LIN.Retries, 3);
    QCOMPARE(config.LIN.BitRecognitionStatus, 1);
    QCOMPARE(config.LIN.SchedulerCount, count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(config.LIN.SchedulerEntries[std::size_t(i)],
                 (LIN_SchedulerEntry{std::uint16_t(100 + i), std::uint8_t(i)}));
    QCOMPARE(config.LIN.SlaveIdData.ID, 0x21);
    QCOMPARE(config.LIN.SlaveIdData.Active, 1);
    QCOMPARE(config.LIN.SlaveIdData.Length, 4);
    QCOMPARE(config.LIN.SlaveIdData.Data[3], 0xA3);
    // The slave's frame carries the slave data; the others are those of a new profile.
    const LIN_FrameEntry &slaveFrame = config.LIN.Frames[0x21];
    QCOMPARE(slaveFrame.Active, 1);
    QCOMPARE(slaveFrame.Data[0], 0xA0);
    QCOMPARE(config.LIN.Frames[5].Active, 0);
    QCOMPARE(config.LIN.Frames[5].Data[0], 0xFF);
    for (int id : {0, 31, 32, 47, 48, 63})
        QCOMPARE(GetNibble(config.LIN.FrameLengths, id), layout == 0 ? DefaultFrameLength(id) : 3);
    QCOMPARE(TestBit(config.LIN.FrameFormats, 2), layout == 0 ? 0 : 1);
    QCOMPARE(TestBit(config.LIN.FrameFormats, 1), 0);
}

void TestProfileConverter::sizeMustFitALayout()
{
    QTemporaryDir dir;
    const QString source = dir.filePath("short.lin");
    QByteArray bytes = buildLegacy(kShort, "abc", 2);
    QCOMPARE(bytes.size(), 106 + 8);
    QVERIFY(writeFile(source, bytes + QByteArray(1, '\0')));
    clsVLINProfileConverter converter;
    converter.SetSource(source);
    QVERIFY(converter.Recognize());
    QVERIFY(!converter.DetectLayout());
    QVERIFY(!converter.Convert());
    QVERIFY(!QFile::exists(converter.Target()));
    QVERIFY(writeFile(source, bytes));
    QCOMPARE(*converter.DetectLayout(), clsVLINProfileConverter::Layout::Short);
}

void TestProfileConverter::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray tooMany = buildLegacy(kVersion10, "V10", 51);
    QByteArray badSlave = buildLegacy(kVersion10, "V10", 0);
    badSlave[60 + 89 + 1] = 64;
    QByteArray longSlave = buildLegacy(kVersion10, "V10", 0);
    longSlave[60 + 89 + 2] = 9;
    QByteArray badLengths = buildLegacy(kLong, "abc", 0);
    badLengths[46 + 57] = char(0x9F);
    // A rate the profile cannot hold: the converted profile would not open again.
    QByteArray hugeRate = buildLegacy(kVersion10, "V10", 0);
    hugeRate[10 + 3] = char(0x80);
    QTest::newRow("version 11") << buildLegacy(kVersion10, "V11", 0);
    QTest::newRow("version not a number") << buildLegacy(kVersion10, "Vx1", 0);
    QTest::newRow("51 scheduler entries") << tooMany;
    QTest::newRow("slave id 64") << badSlave;
    QTest::newRow("slave length 9") << longSlave;
    QTest::newRow("frame length 15") << badLengths;
    QTest::newRow("RS-232 rate past 2^31 - 1") << hugeRate;
    QTest::newRow("truncated version 10") << buildLegacy(kVersion10, "V10", 0).left(500);
}

void TestProfileConverter::refusedFiles()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString source = dir.filePath("bad.lin");
    QVERIFY(writeFile(source, bytes));
    clsVLINProfileConverter converter;
    converter.SetSource(source);
    QVERIFY(converter.Recognize());
    QVERIFY(!converter.Convert());
}

void TestProfileConverter::recognize()
{
    QTemporaryDir dir;
    const QString source = dir.filePath("plain.lin");
    QVERIFY(writeFile(source, "TVQ-CON V10 not scrambled"));
    clsVLINProfileConverter converter;
    converter.SetSource(source);
    QVERIFY(!converter.Recognize());
    converter.SetSource(dir.filePath("missing.lin"));
    QVERIFY(!converter.Recognize());
    QCOMPARE(converter.Target(), QString());
    QVERIFY(!converter.LegacyVersion());
}

void TestProfileConverter::proposedTargets()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    QCOMPARE(clsVLINProfileConverter::ProposeTarget(folder, "old.cfg"), folder + "old.cfg.vxlin");
    QVERIFY(writeFile(folder + "old.cfg.vxlin", "x"));
    QCOMPARE(clsVLINProfileConverter::ProposeTarget(folder, "old.cfg"),
             folder + "old.cfg (1).vxlin");
    QVERIFY(writeFile(folder + "old.cfg (1).vxlin", "x"));
    QCOMPARE(clsVLINProfileConverter::ProposeTarget(folder, "old.cfg"),
             folder + "old.cfg (2).vxlin");

    const QString noDot = folder + "LEGACY";
    QVERIFY(writeFile(noDot, "x"));
    clsVLINProfileConverter converter;
    converter.SetSource(noDot);
    QCOMPARE(converter.Target(), folder + ".vxlin");
}

void TestProfileConverter::placeholdersInNames()
{
    // Folder and name are taken literally, whatever they hold.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("rate %1 %2"));
    const QString folder = dir.filePath("rate %1 %2") + '/';
    QVERIFY(writeFile(folder + "%2 of %1.vxlin", "x"));
    QCOMPARE(clsVLINProfileConverter::ProposeTarget(folder, "%2 of %1"),
             folder + "%2 of %1 (1).vxlin");
    QCOMPARE(clsVLINProfileConverter::ProposeTarget(folder, "%3"), folder + "%3.vxlin");
}

void TestProfileConverter::wrongMagicIsNeverConverted()
{
    // The layout fits and the version reads 10, but the magic is not the legacy one.
    QTemporaryDir dir;
    QByteArray bytes = buildLegacy(kVersion10, "V10", 1);
    bytes[0] = 'X';
    const QString source = dir.filePath("other.lin");
    QVERIFY(writeFile(source, bytes));
    clsVLINProfileConverter converter;
    converter.SetSource(source);
    QVERIFY(!converter.Recognize());
    QVERIFY(!converter.Convert());
    QVERIFY(!QFile::exists(converter.Target()));
}

void TestProfileConverter::targetFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // relative to the folder; "-" for none
    QTest::newRow("other extension") << "F/profile.txt"
                                     << "F/profile.vxlin";
    QTest::newRow("no extension") << "F/profile"
                                  << "F/profile.vxlin";
    QTest::newRow("upper-case extension") << "F/profile.VXLIN"
                                          << "F/profile.vxlin";
    QTest::newRow("kept") << "F/profile.vxlin"
                          << "F/profile.vxlin";
    QTest::newRow("two dots") << "F/old.cfg.lin"
                              << "F/old.cfg.vxlin";
    QTest::newRow("empty name") << "F/"
                                << "F/VXLIN.vxlin";
    QTest::newRow("no folder") << "plain.txt"
                               << "C/plain.vxlin";
    QTest::newRow("empty text") << ""
                                << "C/VXLIN.vxlin";
    QTest::newRow("missing folder") << "F/missing/profile.vxlin"
                                    << "-";
    QTest::newRow("folder is a file") << "F/file/profile.vxlin"
                                      << "-";
}

void TestProfileConverter::targetFromText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QTemporaryDir current;
    QVERIFY(writeFile(dir.filePath("file"), "x"));
    // Only the leading placeholder: a temporary folder's random name may itself hold "C/".
    const auto expand = [&](const QString &s) {
        if (s.startsWith("F/"))
            return dir.path() + '/' + s.mid(2);
        if (s.startsWith("C/"))
            return current.path() + '/' + s.mid(2);
        return s;
    };
    const std::optional<QString> target = clsVLINProfileConverter::TargetFromText(expand(text),
                                                                                  current.path());
    if (expected == "-")
        QVERIFY(!target);
    else
        QCOMPARE(target.value_or("none"), expand(expected));
}

QTEST_GUILESS_MAIN(TestProfileConverter)
#include "tst_profile_converter.moc"
