// The emulated module's every answer, byte for byte: a long session of requests (a profile send,
// full reads, every command number of every group with many kinds of data, defaults, reset,
// programming mode) per firmware and build, folded into one digest each. A change to any reply,
// its rate or the module's state between requests changes the digest.
//
// With VXL_TRANSCRIPT_DIR set, each session's transcript is written there as <row>.txt, so that
// two builds can be compared line by line; a session whose digest differs is always written to
// the build folder.

#include "core/link/command_builders.h"
#include "core/operations/profile_send.h"
#include "sim/module_model.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

using namespace vxl;
using namespace vxl::sim;

namespace {

// Data of every length and many values: right and wrong lengths, values in and out of range,
// and the shapes the settable tables take.
const QList<QByteArray> &requestData()
{
    static const QList<QByteArray> data = [] {
        QList<QByteArray> list;
        for (const char *text : {"",
                                 "00",
                                 "01",
                                 "02",
                                 "07",
                                 "3F",
                                 "40",
                                 "85",
                                 "C0",
                                 "FF",
                                 "0000",
                                 "0001",
                                 "0100",
                                 "0105",
                                 "013F",
                                 "0140",
                                 "0200",
                                 "0300",
                                 "0428",
                                 "0440",
                                 "0500",
                                 "E803",
                                 "204E",
                                 "214E",
                                 "004B",
                                 "3412",
                                 "0096",
                                 "00C2",
                                 "000000",
                                 "0A0005",
                                 "0A0040",
                                 "140022",
                                 "010501",
                                 "014001",
                                 "010502",
                                 "000501",
                                 "040508",
                                 "040509",
                                 "040500",
                                 "044003",
                                 "0223011122",
                                 "C412345678",
                                 "0912345678",
                                 "00000000",
                                 "78563412",
                                 "01000000",
                                 "0100020003000400",
                                 "05AABBCCDD",
                                 "00FFFFFFFFFFFFFFFF",
                                 "002222222222222222",
                                 "018899888888888888",
                                 "028888888888888888",
                                 "030000000000000000",
                                 "040000000000000000",
                                 "0105112233445566778899",
                                 "003FAABBCCDDEEFF0011",
                                 "0105112233"}) {
            list << QByteArray::fromHex(text);
        }
        return list;
    }();
    return data;
}

// A configuration that differs from the defaults almost everywhere.
ModuleConfig customProfile()
{
    ModuleConfig config = ModuleConfig::NewProfile();
    config.CAN.Active = 1;
    config.CAN.Baudrate = 0x1C01;
    config.CAN.ForwardMask = 0x86;
    config.CAN.FilterMask = 0x1ABBCCDD;
    config.CAN.FilterCode = 0x00112233;
    config.CAN.IdOffset = 0x80000123;
    config.CAN.ErrorId = 0x000007FE;
    auto &lin = config.LIN;
    lin.Active = 1;
    lin.Baudrate = 9600;
    lin.ForwardMask = 0x05;
    lin.FilterMask = 0x3C;
    lin.FilterCode = 0x11;
    lin.BusTermination = 1;
    lin.SlaveMask = {0x01, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x40};
    SetNibble(lin.FrameLengths, 40, 3);
    SetNibble(lin.FrameLengths, 5, 8);
    lin.FrameFormats = {0xFF, 0, 0, 0, 0, 0, 0, 0x01};
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = lin.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Active = i % 3 == 0;
        frame.Data.fill(std::uint8_t(i));
    }
    lin.SlaveActivationId = 0xC00001A0;
    lin.SchedulerCount = 3;
    lin.SchedulerEntries[0] = {10, 0x01};
    lin.SchedulerEntries[1] = {20, 0x22};
    lin.SchedulerEntries[2] = {300, 0x3D};
    return config;
}

// Drives one module and writes down every request and everything the module puts on its line.
class Session
{
public:
    explicit Session(ModuleModel &model)
        : m_model(model)
    {}

    void send(int group, int command, const QByteArray &data = {}, bool checksumOk = true)
    {
        const auto *raw = reinterpret_cast<const std::uint8_t *>(data.constData());
        const LIN_Msg request = BuildRequest(group,
                                             command,
                                             m_sequence,
                                             {raw, std::size_t(data.size())});
        m_sequence = (m_sequence + 1) % 8;
        ++m_requests;
        m_text += QStringLiteral("> %1/%2 %3%4\n")
                      .arg(group)
                      .arg(command)
                      .arg(QString::fromLatin1(data.toHex()),
                           checksumOk ? QString() : QStringLiteral(" bad checksum"))
                      .toLatin1();
        for (const Output &out : m_model.Handle(request, checksumOk))
            write(out);
    }

    // The read the tool makes after connecting, with the scheduler entries that follow it.
    void fullRead()
    {
        send(3, 0);
        send(3, 1);
        send(0, 11);
        send(0, 24);
        for (int command : {10, 11, 12, 13, 14, 15, 24, 16})
            send(1, command);
        for (int command : {10, 11, 12, 13, 14})
            send(2, command);
        send(2, 15, QByteArray::fromHex("0000"));
        for (int command : {16, 17, 18, 19, 20, 24, 26})
            send(2, command);
        for (char range = 0; range < 4; ++range)
            send(2, 27, QByteArray(1, range) + QByteArray(1, '\0'));
        send(2, 28, QByteArray::fromHex("0000"));
        send(2, 29);
        send(2, 25);
        for (char id = 0; id < kFrameCount; ++id)
            send(2, 25, QByteArray(1, id));
        for (char entry = 1; entry <= 4; ++entry)
            send(2, 21, QByteArray(1, entry));
    }

    void profileSend(const ModuleConfig &profile)
    {
        ModuleConfig prepared = profile;
        PrepareProfileForSend(prepared, m_model.Config());
        // The mask goes as given, so that the digests follow the module, not the preparation.
        prepared.LIN.SlaveMask = profile.LIN.SlaveMask;
        const bool slaveSim = m_model.BuildMode() == BuildModeFromHardware(QStringLiteral("S"));
        for (const SendRequest &request :
             ProfileSendRequests(prepared, m_model.Firmware(), slaveSim))
            send(request.group, request.command, request.data);
    }

    // Every command number of the first three groups with every kind of data.
    void everyCommand()
    {
        for (int group = 0; group < 3; ++group) {
            for (int command = 0; command < 64; ++command) {
                for (const QByteArray &data : requestData())
                    send(group, command, data);
            }
        }
    }

    [[nodiscard]] const QByteArray &text() const { return m_text; }
    [[nodiscard]] int requests() const { return m_requests; }
    [[nodiscard]] int outputs() const { return m_outputs; }

private:
    void write(const Output &out)
    {
        ++m_outputs;
        const QByteArray bytes = out.kind == Output::Kind::Frame ? ModuleFrameBytes(out.frame)
                                                                 : out.text;
        const char *kind = out.kind == Output::Kind::Frame  ? "frame"
                           : out.kind == Output::Kind::Text ? "text"
                                                            : "nothing";
        m_text += QStringLiteral("< %1 at %2: %3\n")
                      .arg(QLatin1String(kind))
                      .arg(out.rate)
                      .arg(QString::fromLatin1(bytes.toHex(' ')))
                      .toLatin1();
    }

    ModuleModel &m_model;
    QByteArray m_text;
    int m_sequence = 0;
    int m_requests = 0;
    int m_outputs = 0;
};

void runSession(Session &session)
{
    session.send(2, 16, {}, false);
    session.fullRead();
    session.profileSend(customProfile());
    session.send(3, 3);
    session.fullRead();
    session.everyCommand();
    session.fullRead();
    // A changed RS-232 rate comes into use with the next initialisation.
    session.send(0, 31, QByteArray::fromHex("004B"));
    session.send(0, 0);
    session.fullRead();
    // The scheduler stopped, filled beyond its end, read back and emptied.
    session.send(2, 36, QByteArray(1, '\0'));
    session.send(2, 40, QByteArray::fromHex("000005"));
    for (int entry = 0; entry <= kMaxSchedulerEntries; ++entry)
        session.send(2, 40, QByteArray::fromHex("0A00") + QByteArray(1, char(entry % 64)));
    session.send(2, 20);
    for (char entry = 0; entry <= kMaxSchedulerEntries + 1; ++entry)
        session.send(2, 21, QByteArray(1, entry));
    session.send(2, 51);
    session.send(2, 20);
    session.send(3, 2);
    session.fullRead();
    session.send(3, 4);
    session.fullRead();
    for (int command = 5; command < 63; command += 19)
        session.send(3, command);
    session.send(3, 63, QByteArray("MellowCanyonz"));
    session.send(3, 63, QByteArray(kIspAccessText));
    session.send(3, 1);
}

void writeTranscript(const QString &folder, const QString &name, const QByteArray &text)
{
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".txt"));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace

class TestModuleTranscript : public QObject
{
    Q_OBJECT

private slots:
    void sessionAnswers_data();
    void sessionAnswers();
};

void TestModuleTranscript::sessionAnswers_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("fixedStartup");
    QTest::addColumn<QByteArray>("digest");

    const QString standard = QStringLiteral("VXL-LIN-G 1.0  ");
    const QString slaveSim = QStringLiteral("SXL-LIN-G 1.0  ");
    QTest::newRow("01.01.05")
        << "01.01.05" << standard << 38400 << false
        << QByteArray("7c8af6412d4c0b392c9756f777e97df529d3d2bda8fc2e49dfe59d07b88e3a49");
    QTest::newRow("01.01.06")
        << "01.01.06" << standard << 38400 << true
        << QByteArray("e9a1bdb53d606163cadb26ef8d8f0fa34a158f34c5ab31b18027961796c8cd8c");
    QTest::newRow("01.01.07 slave sim")
        << "01.01.07" << slaveSim << 19200 << false
        << QByteArray("b404a93c85883268df834f506eccf7fa243e4221461d1163824e5c0f2cb277be");
    QTest::newRow("01.02.14")
        << "01.02.14" << standard << 38400 << false
        << QByteArray("a67c809c6bf50aca577bc719c1b454013fc92fac690b99e1e2d25a01c019b110");
    QTest::newRow("01.02.15")
        << "01.02.15" << standard << 115200 << false
        << QByteArray("bc2d7c747dacfe6506b83e21e7612839cc18c959e1424417e242fce8bd42fae7");
    QTest::newRow("01.02.15 slave sim")
        << "01.02.15" << slaveSim << 38400 << true
        << QByteArray("b0758e1d5a7cc0cf1d60da6c9c430a86bd86b536ba6d6ec26c8817ca78f1fbb4");
    QTest::newRow("01.02.15 prototype")
        << "01.02.15" << QStringLiteral("PXL-LIN-G 1.0  ") << 38400 << false
        << QByteArray("13889da4b61f38feeaf961340c654508452c938d02f2e83fdcd721c72a034821");
}

void TestModuleTranscript::sessionAnswers()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    QFETCH(int, rate);
    QFETCH(bool, fixedStartup);
    QFETCH(QByteArray, digest);

    ModuleModel model({hardware, firmware},
                      std::uint32_t(rate),
                      fixedStartup ? StartupStyle::Fixed66 : StartupStyle::CarriageReturn);
    Session session(model);
    runSession(session);

    const QString row = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
    if (const QByteArray folder = qgetenv("VXL_TRANSCRIPT_DIR"); !folder.isEmpty())
        writeTranscript(QString::fromLocal8Bit(folder), row, session.text());
    // Entering programming mode and the request after it go unanswered; every other request
    // gets one answer.
    QCOMPARE(session.outputs(), session.requests() - 2);
    const QByteArray actual = QCryptographicHash::hash(session.text(), QCryptographicHash::Sha256)
                                  .toHex();
    if (actual != digest) {
        const QString folder = QStringLiteral(VXL_BINARY_DIR "/module-transcripts");
        writeTranscript(folder, row, session.text());
        qWarning("transcript written to %s/%s.txt", qPrintable(folder), qPrintable(row));
    }
    QCOMPARE(actual, digest);
}

QTEST_GUILESS_MAIN(TestModuleTranscript)
#include "tst_module_transcript.moc"
