// Profile files: the exact bytes of a new document, reading rules over fixture files, the
// round trip of many records, the save state rules, and a save that fails midway.

#include "core/profiles/profile_document.h"
#include "test_files.h"
#include "test_support.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vxl;
using vxl::test::readFile;

namespace {

QString decodeUtf16(const QByteArray &bytes)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A record that keeps the invariants a profile relies on.
ModuleConfig randomRecord(QRandomGenerator &random)
{
    ModuleConfig config = ModuleConfig::NewProfile();
    config.RS232.Baudrate = random.bounded(0, 2147483647);
    CAN_Group &can = config.CAN;
    can.Active = static_cast<std::uint16_t>(random.bounded(65536));
    can.Baudrate = static_cast<std::uint16_t>(random.bounded(65536));
    can.ForwardMask = static_cast<std::uint16_t>(random.bounded(65536));
    can.FilterMask = random.generate();
    can.FilterCode = random.generate();
    can.IdOffset = random.generate();
    can.ErrorId = random.generate();
    LIN_Group &lin = config.LIN;
    lin.Active = static_cast<std::uint16_t>(random.bounded(65536));
    lin.Baudrate = static_cast<std::uint16_t>(random.bounded(65536));
    lin.ForwardMask = static_cast<std::uint8_t>(random.bounded(256));
    lin.FilterMask = static_cast<std::uint16_t>(random.bounded(65536));
    lin.FilterCode = static_cast<std::uint16_t>(random.bounded(65536));
    lin.MasterStatus = static_cast<std::uint16_t>(random.bounded(65536));
    lin.BusTermination = static_cast<std::uint16_t>(random.bounded(65536));
    lin.Retries = static_cast<std::uint16_t>(random.bounded(65536));
    lin.BitRecognitionStatus = static_cast<std::uint8_t>(random.bounded(256));
    lin.SlaveActivationId = random.generate();
    lin.SchedulerCount = static_cast<std::uint16_t>(random.bounded(kMaxSchedulerEntries + 1));
    for (auto &entry : lin.SchedulerEntries)
        entry = {static_cast<std::uint16_t>(random.bounded(65536)),
                 static_cast<std::uint8_t>(random.bounded(256))};
    lin.SlaveMask.fill(0);
    for (int id = 0; id < kFrameCount; ++id) {
        LIN_FrameEntry &frame = lin.Frames[static_cast<std::size_t>(id)];
        frame.ID = static_cast<std::uint8_t>(id);
        frame.Active = static_cast<std::uint8_t>(random.bounded(3) == 0 ? random.bounded(1, 256)
                                                                        : 0);
        frame.Length = static_cast<std::uint8_t>(random.bounded(kFrameDataBytes + 1));
        for (auto &byte : frame.Data)
            byte = static_cast<std::uint8_t>(random.bounded(256));
        SetNibble(lin.FrameLengths, id, frame.Length);
        SetBit(lin.SlaveMask, id, frame.Active != 0);
        SetBit(lin.FrameFormats, id, random.bounded(2) == 1);
    }
    const int slaveId = random.bounded(kFrameCount);
    lin.SlaveIdData = lin.Frames[static_cast<std::size_t>(slaveId)];
    return config;
}

void compareProfileFields(const ModuleConfig &got, const ModuleConfig &want)
{
    QCOMPARE(got.RS232.Baudrate, want.RS232.Baudrate);
    const CAN_Group &a = got.CAN;
    const CAN_Group &b = want.CAN;
    QCOMPARE(a.Active, b.Active);
    QCOMPARE(a.Baudrate, b.Baudrate);
    QCOMPARE(a.ForwardMask, b.ForwardMask);
    QCOMPARE(a.FilterMask, b.FilterMask);
    QCOMPARE(a.FilterCode, b.FilterCode);
    QCOMPARE(a.IdOffset, b.IdOffset);
    QCOMPARE(a.ErrorId, b.ErrorId);
    const LIN_Group &l = got.LIN;
    const LIN_Group &m = want.LIN;
    QCOMPARE(l.Active, m.Active);
    QCOMPARE(l.Baudrate, m.Baudrate);
    QCOMPARE(l.ForwardMask, m.ForwardMask);
    QCOMPARE(l.FilterMask, m.FilterMask);
    QCOMPARE(l.FilterCode, m.FilterCode);
    QCOMPARE(l.MasterStatus, m.MasterStatus);
    QCOMPARE(l.BusTermination, m.BusTermination);
    QCOMPARE(l.Retries, m.Retries);
    QCOMPARE(l.BitRecognitionStatus, m.BitRecognitionStatus);
    QCOMPARE(l.SlaveActivationId, m.SlaveActivationId);
    QCOMPARE(l.SchedulerCount, m.SchedulerCount);
    for (int i = 0; i < m.SchedulerCount; ++i)
        QCOMPARE(l.SchedulerEntries[static_cast<std::size_t>(i)],
                 m.SchedulerEntries[static_cast<std::size_t>(i)]);
    QCOMPARE(l.SlaveMask, m.SlaveMask);
    QCOMPARE(l.FrameLengths, m.FrameLengths);
    QCOMPARE(l.FrameFormats, m.FrameFormats);
    const auto sameEntry = [](const LIN_FrameEntry &x, const LIN_FrameEntry &y) {
        QCOMPARE(x.ID, y.ID);
        QCOMPARE(x.Active, y.Active);
        QCOMPARE(x.Length, y.Length);
        for (int i = 0; i < y.Length; ++i)
            QCOMPARE(x.Data[static_cast<std::size_t>(i)], y.Data[static_cast<std::size_t>(i)]);
    };
    sameEntry(l.SlaveIdData, m.SlaveIdData);
    for (int k = 0; k < kFrameCount; ++k)
        sameEntry(l.Frames[static_cast<std::size_t>(k)], m.Frames[static_cast<std::size_t>(k)]);
}

} // namespace

class TestProfileDocument : public QObject
{
    Q_OBJECT

private slots:
    void newDocumentBytes();
    void roundTripOfRandomRecords();
    void readRules_data();
    void readRules();
    void fixtureValuesReadByPosition();
    void fewerFramesKeepTheRest();
    void openRejectsOtherDocuments();
    void saveStateRules();
    void groupWriteRules();
    void failedSaveKeepsOldFile();
    void successfulSaveKeepsIdentity();
    void saveToTempFile();
};

void TestProfileDocument::newDocumentBytes()
{
    QTemporaryDir dir;
    clsVLINXMLProfile profile;
    QVERIFY(profile.LoadDefault());
    const QString path = dir.filePath("new.vxlin");
    QVERIFY(profile.SaveAs(path));
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.left(2), QByteArray("\xFF\xFE", 2));
    const QString text = decodeUtf16(bytes);
    QVERIFY2(text.startsWith(R"(<?xml version="1.0" encoding="UTF-16"?>)"),
             qPrintable(text.left(60)));
    QVERIFY(text.contains("<!--VEXA-LIN CT profile.-->"));
    QVERIFY(text.contains("\n  <RS-232 Group=\"0\">\n    <Baudrate>38400</Baudrate>"));
    QVERIFY(text.contains("<Filter_Mask>4294967295</Filter_Mask>"));
    QVERIFY(text.contains(QRegularExpression(R"(<Scheduler_Entries Count="0"\s*/>)")));
    QCOMPARE(text.count("<Frame>"), 64);
    // Lengths by identifier: 2 below 32, 4 below 48, 8 above; every data byte 255.
    const QRegularExpression frame(
        R"(<Frame>\s*<ID>(\d+)</ID>\s*<Active>0</Active>\s*<Length>(\d)</Length>\s*<Format>0</Format>\s*<Data>((?:\s*<Byte Index="\d">255</Byte>)*)\s*</Data>)");
    int seen = 0;
    for (auto it = frame.globalMatch(text); it.hasNext(); ++seen) {
        const auto match = it.next();
        const int id = match.captured(1).toInt();
        QCOMPARE(id, seen);
        QCOMPARE(match.captured(2).toInt(), DefaultFrameLength(id));
        QCOMPARE(match.captured(3).count("<Byte"), DefaultFrameLength(id));
    }
    QCOMPARE(seen, 64);
    QVERIFY(text.contains(QRegularExpression(
        R"(<SlaveId_Data>\s*<ID>63</ID>\s*<Active>0</Active>\s*<Length>8</Length>\s*<Data>(\s*<Byte Index="\d">255</Byte>){8}\s*</Data>)")));
    // The element order of a LIN group.
    const QStringList order{"<Retries>",
                            "<Scheduler_Entries",
                            "<SlaveId_Data>",
                            "<Bit_Recognition_Status>",
                            "<Slave_Activation_ID>",
                            "<Frame_Configuration>"};
    for (int i = 1; i < order.size(); ++i)
        QVERIFY(text.indexOf(order[i - 1]) < text.indexOf(order[i]));

    QProcess xmllint;
    xmllint.start("xmllint", {"--noout", path});
    if (!xmllint.waitForStarted())
        QSKIP("xmllint is not installed");
    QVERIFY(xmllint.waitForFinished());
    QCOMPARE(xmllint.exitCode(), 0);
}

void TestProfileDocument::roundTripOfRandomRecords()
{
    QTemporaryDir dir;
    QRandomGenerator random(20261209);
    for (int round = 0; round < 300; ++round) {
        const ModuleConfig want = randomRecord(random);
        clsVLINXMLProfile writer;
        QVERIFY(writer.WriteAll(want.RS232.Baudrate, want.CAN, want.LIN));
        const QString path = dir.filePath(QString("p%1.vxlin").arg(round % 4));
        QVERIFY(writer.SaveAs(path));
        clsVLINXMLProfile reader;
        QVERIFY(reader.OpenFile(path));
        ModuleConfig got; // starts from other values, so a field not read shows up
        got.LIN.SlaveIdData.ID = 1;
        QVERIFY(reader.ReadAll(&got.RS232.Baudrate, &got.CAN, &got.LIN));
        compareProfileFields(got, want);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QString("round %1").arg(round)));
    }
}

void TestProfileDocument::readRules_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("rs232");
    QTest::addColumn<bool>("can");
    QTest::addColumn<bool>("lin");

    QTest::newRow("as it is") << ""
                              << "" << true << true << true;
    QTest::newRow("count 2 of 3 entries")
        << "<Entry Time=\"30\">7</Entry>"
        << "<Entry Time=\"30\">7</Entry><Entry Time=\"40\">8</Entry>" << true << true << true;
    QTest::newRow("byte 256") << "<Byte Index=\"0\">1</Byte>"
                              << "<Byte Index=\"0\">256</Byte>" << true << true << false;
    QTest::newRow("empty baudrate") << "<Baudrate>57600</Baudrate>"
                                    << "<Baudrate></Baudrate>" << false << true << true;
    QTest::newRow("abc") << "<Filter_Code>305419896</Filter_Code>"
                         << "<Filter_Code>abc</Filter_Code>" << true << false << true;
    QTest::newRow("sign") << "<Retries>2</Retries>"
                          << "<Retries>+2</Retries>" << true << true << false;
    QTest::newRow("hex") << "<Retries>2</Retries>"
                         << "<Retries>0x2</Retries>" << true << true << false;
    QTest::newRow("blank") << "<Retries>2</Retries>"
                           << "<Retries> 2</Retries>" << true << true << false;
    QTest::newRow("child element") << "<Retries>2</Retries>"
                                   << "<Retries><x>2</x></Retries>" << true << true << false;
    QTest::newRow("16-bit overflow") << "<Baudrate>9600</Baudrate>"
                                     << "<Baudrate>65536</Baudrate>" << true << true << false;
    QTest::newRow("8-bit max") << "<Forward_Mask>4</Forward_Mask>"
                               << "<Forward_Mask>255</Forward_Mask>" << true << true << true;
    QTest::newRow("8-bit overflow") << "<Forward_Mask>4</Forward_Mask>"
                                    << "<Forward_Mask>256</Forward_Mask>" << true << true << false;
    QTest::newRow("signed rs-232 rate")
        << "<Baudrate>57600</Baudrate>"
        << "<Baudrate>2147483648</Baudrate>" << false << true << true;
    QTest::newRow("count beyond the entries")
        << "<Scheduler_Entries Count=\"2\">"
        << "<Scheduler_Entries Count=\"4\">" << true << true << false;
    QTest::newRow("count above 50") << "<Scheduler_Entries Count=\"2\">"
                                    << "<Scheduler_Entries Count=\"51\">" << true << true << false;
    QTest::newRow("slave length above 8")
        << "<Length>2</Length>\n      <ID>5</ID>"
        << "<Length>9</Length>\n      <ID>5</ID>" << true << true << false;
    QTest::newRow("slave id above 63") << "<ID>5</ID>"
                                       << "<ID>64</ID>" << true << true << true;
    QTest::newRow("slave id 255") << "<ID>5</ID>"
                                  << "<ID>255</ID>" << true << true << true;
    QTest::newRow("slave id 256") << "<ID>5</ID>"
                                  << "<ID>256</ID>" << true << true << false;
    QTest::newRow("frame missing Format") << "<Format>1</Format>"
                                          << "" << true << true << false;
    QTest::newRow("frame data short") << "<Byte Index=\"2\">3</Byte>"
                                      << "" << true << true << false;
    QTest::newRow("frame length above 8") << "<Length>3</Length>"
                                          << "<Length>9</Length>" << true << true << false;
    QTest::newRow("missing CAN child") << "<Error_ID>7</Error_ID>"
                                       << "" << true << false << true;
    QTest::newRow("missing RS-232 group") << "<RS-232>\n    <Baudrate>57600</Baudrate>\n  </RS-232>"
                                          << "" << false << true << true;
}

void TestProfileDocument::readRules()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, rs232);
    QFETCH(bool, can);
    QFETCH(bool, lin);

    QString text = QString::fromUtf8(readFile(test::dataFile("profiles/reordered.vxlin")));
    QVERIFY(!text.isEmpty());
    if (!from.isEmpty()) {
        QVERIFY2(text.contains(from), qPrintable(from));
        text.replace(text.indexOf(from), from.size(), to);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("case.vxlin");
    writeFile(path, text.toUtf8());
    clsVLINXMLProfile profile;
    QVERIFY(profile.OpenFile(path));
    ModuleConfig config = ModuleConfig::NewProfile();
    QCOMPARE(profile.ReadRS232(&config.RS232.Baudrate), rs232);
    QCOMPARE(profile.ReadCAN(&config.CAN), can);
    QCOMPARE(profile.ReadLIN(&config.LIN), lin);
    QCOMPARE(profile.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN), rs232 && can && lin);
}

void TestProfileDocument::fixtureValuesReadByPosition()
{
    clsVLINXMLProfile profile;
    QVERIFY(profile.OpenFile(test::dataFile("profiles/reordered.vxlin")));
    QVERIFY(!profile.IsModified());
    QVERIFY(profile.IsUnchangedFile());
    ModuleConfig config = ModuleConfig::NewProfile();
    QVERIFY(profile.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN));
    QCOMPARE(config.RS232.Baudrate, 57600u);
    QCOMPARE(config.CAN.ErrorId, 7u);
    QCOMPARE(config.CAN.ForwardMask, 132);
    QCOMPARE(config.CAN.IdOffset, 2147483648u);
    QCOMPARE(config.LIN.SlaveActivationId, 3221225729u);
    QCOMPARE(config.LIN.SchedulerCount, 2);
    // Entries by position, whatever their names; the third is beyond the count.
    QCOMPARE(config.LIN.SchedulerEntries[0], (LIN_SchedulerEntry{10, 5}));
    QCOMPARE(config.LIN.SchedulerEntries[1], (LIN_SchedulerEntry{20, 6}));
    QCOMPARE(config.LIN.SchedulerEntries[2], LIN_SchedulerEntry{});
    // Byte Index attributes are ignored: position decides.
    QCOMPARE(config.LIN.SlaveIdData.ID, 5);
    QCOMPARE(config.LIN.SlaveIdData.Data[0], 17);
    QCOMPARE(config.LIN.SlaveIdData.Data[1], 18);
    QCOMPARE(config.LIN.Frames[0].Data[0], 161);
    QCOMPARE(config.LIN.Frames[0].Data[1], 162);
    QCOMPARE(config.LIN.Frames[1].Length, 3);
    QCOMPARE(GetNibble(config.LIN.FrameLengths, 1), 3);
    QCOMPARE(GetNibble(config.LIN.FrameLengths, 2), 0);
    QCOMPARE(TestBit(config.LIN.SlaveMask, 0), 1);
    QCOMPARE(TestBit(config.LIN.SlaveMask, 1), 0);
    QCOMPARE(TestBit(config.LIN.SlaveMask, 2), 1);
    QCOMPARE(TestBit(config.LIN.FrameFormats, 0), 1);
}

void TestProfileDocument::fewerFramesKeepTheRest()
{
    // 63 frames: frame 63 keeps what the caller had.
    clsVLINXMLProfile writer;
    ModuleConfig config = ModuleConfig::NewProfile();
    QVERIFY(writer.WriteAll(config.RS232.Baudrate, config.CAN, config.LIN));
    QTemporaryDir dir;
    const QString path = dir.filePath("63.vxlin");
    QVERIFY(writer.SaveAs(path));
    QString text = decodeUtf16(readFile(path));
    const qsizetype last = text.lastIndexOf("<Frame>");
    const qsizetype end = text.indexOf("</Frame>", last) + int(strlen("</Frame>"));
    text.remove(last, end - last);
    QCOMPARE(text.count("<Frame>"), 63);
    writeFile(path, text.toUtf8().replace("encoding=\"UTF-16\"", "encoding=\"UTF-8\""));
    clsVLINXMLProfile reader;
    QVERIFY(reader.OpenFile(path));
    ModuleConfig target = ModuleConfig::NewProfile();
    target.LIN.Frames[63].Data[0] = 0x42;
    target.LIN.Frames[63].Active = 7;
    QVERIFY(reader.ReadLIN(&target.LIN));
    QCOMPARE(target.LIN.Frames[63].Data[0], 0x42);
    QCOMPARE(target.LIN.Frames[63].Active, 7);
    QCOMPARE(target.LIN.Frames[62].Data[0], 0xFF);
}

void TestProfileDocument::openRejectsOtherDocuments()
{
    clsVLINXMLProfile profile;
    QVERIFY(!profile.OpenFile(test::dataFile("profiles/not_a_profile.xml")));
    QVERIFY(!profile.IsLoaded());
    QVERIFY(!profile.OpenFile(test::dataFile("profiles/missing.vxlin")));
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.vxlin");
    writeFile(broken, "<VXLIN_PROFILE><RS-232>");
    QVERIFY(!profile.OpenFile(broken));
    QVERIFY(!profile.IsLoaded());
    std::uint32_t rate = 0;
    QVERIFY(!profile.ReadRS232(&rate));
}

void TestProfileDocument::saveStateRules()
{
    QTemporaryDir dir;
    clsVLINXMLProfile profile;
    QVERIFY(profile.LoadDefault());
    QVERIFY(profile.IsLoaded());
    QVERIFY(!profile.IsModified());
    QVERIFY(!profile.Save()); // no file name yet
    const QString path = dir.filePath("named.vxlin");
    QVERIFY(profile.SaveAs(path));
    QCOMPARE(profile.FileName(), path);
    QVERIFY(profile.IsUnchangedFile());
    QVERIFY(!profile.SaveAs(QString())); // nothing to write
    QVERIFY(!profile.Save());
    QVERIFY(profile.WriteRS232(9600));
    QVERIFY(profile.IsModified());
    QVERIFY(profile.Save());
    QVERIFY(!profile.IsModified());
    clsVLINXMLProfile check;
    QVERIFY(check.OpenFile(path));
    std::uint32_t rate = 0;
    QVERIFY(check.ReadRS232(&rate));
    QCOMPARE(rate, 9600u);
    profile.Close();
    QVERIFY(!profile.IsLoaded());
    QCOMPARE(profile.FileName(), QString());
    // A write on an unloaded document loads the default one first.
    QVERIFY(profile.WriteRS232(19200));
    QVERIFY(profile.IsLoaded());
    QVERIFY(profile.IsModified());
    CAN_Group can;
    QVERIFY(profile.ReadCAN(&can));
    QCOMPARE(can.FilterMask, 0xFFFFFFFFu);
}

void TestProfileDocument::groupWriteRules()
{
    clsVLINXMLProfile profile;
    QVERIFY(profile.OpenFile(test::dataFile("profiles/no_can.vxlin")));
    const ModuleConfig config = ModuleConfig::NewProfile();
    QVERIFY(!profile.WriteCAN(config.CAN));
    QVERIFY(!profile.IsModified());
    QVERIFY(profile.WriteLIN(config.LIN));
    LIN_Group lin;
    QVERIFY(profile.ReadLIN(&lin));
    QCOMPARE(lin.FrameLengths, config.LIN.FrameLengths);
    QVERIFY(!profile.WriteAll(38400, config.CAN, config.LIN));
}

void TestProfileDocument::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.vxlin");
    clsVLINXMLProfile first;
    QVERIFY(first.LoadDefault());
    QVERIFY(first.SaveAs(path));
    const QByteArray before = readFile(path);

    // A bigger document that cannot be written in full: the file size limit stops it midway.
    ModuleConfig bigger = ModuleConfig::NewProfile();
    bigger.LIN.SchedulerCount = 50;
    for (auto &entry : bigger.LIN.SchedulerEntries)
        entry = {65535, 63};
    clsVLINXMLProfile second;
    QVERIFY(second.OpenFile(path));
    QVERIFY(second.WriteLIN(bigger.LIN));
    QVERIFY(second.Serialize().size() > before.size() + 1000);

    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(before.size() + 512), rlim_t(before.size() + 512)};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(second.Save() ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0); // the save reported its failure
    QCOMPARE(readFile(path), before);

    // The same through an injected writer that gives up halfway.
    clsVLINXMLProfile::SetFileWriterForTesting([](int fd, const QByteArray &bytes) {
        return ::write(fd, bytes.constData(), size_t(bytes.size() / 2)) < 0 && false;
    });
    QVERIFY(!second.Save());
    clsVLINXMLProfile::SetFileWriterForTesting({});
    QCOMPARE(readFile(path), before);
    QVERIFY(second.Save());
    QCOMPARE(readFile(path), second.Serialize());
}

void TestProfileDocument::successfulSaveKeepsIdentity()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("same.vxlin");
    clsVLINXMLProfile profile;
    QVERIFY(profile.LoadDefault());
    QVERIFY(profile.SaveAs(path));
    struct stat before
    {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
    const QDateTime born = QFileInfo(path).birthTime();
    QTest::qWait(20);
    QVERIFY(profile.WriteRS232(4800));
    QVERIFY(profile.Save());
    struct stat after
    {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(QFileInfo(path).birthTime(), born);
    // A symlink to the profile stays a symlink.
    const QString link = dir.filePath("link.vxlin");
    QVERIFY(QFile::link(path, link));
    clsVLINXMLProfile viaLink;
    QVERIFY(viaLink.OpenFile(link));
    QVERIFY(viaLink.WriteRS232(9600));
    QVERIFY(viaLink.Save());
    QVERIFY(QFileInfo(link).isSymLink());
}

void TestProfileDocument::saveToTempFile()
{
    clsVLINXMLProfile profile;
    QVERIFY(profile.SaveToTempFile());
    const QFileInfo info(profile.FileName());
    QVERIFY(info.exists());
    QVERIFY(info.fileName().startsWith("vxlin"));
    QCOMPARE(readFile(profile.FileName()), profile.DefaultImage());
    QFile::remove(profile.FileName());
}

QTEST_GUILESS_MAIN(TestProfileDocument)
#include "tst_profile_document.moc"
