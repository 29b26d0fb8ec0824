// vexalin-cli on a rack of modules: one vexalin-sim process hosting several emulated modules,
// each on its own COM number, some of them faulty. What each module's result is, what the
// reports hold, and the exit code of the whole run.

#include "core/profiles/profile_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace vxl;

namespace {

constexpr int kRunMs = 120000; // a bound for a hung run only; nothing is timed
constexpr int kRackPort = 11;  // eight modules, COM11 to COM18, several of them faulty
constexpr int kPlainPort = 21; // three modules that behave, COM21 to COM23

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// One vexalin-sim process with its modules registered in a settings folder of its own.
class Rack
{
public:
    Rack(const QString &home, int port, int count, const QStringList &moduleOptions)
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
        m_process.setProcessEnvironment(env);
        QStringList args{"--port", QString::number(port), "--count", QString::number(count)};
        for (const QString &option : moduleOptions)
            args << "--module" << option;
        m_process.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-sim"), args);
        // Each module prints its line once its port is registered.
        while (m_started < count && m_process.waitForReadyRead(kRunMs))
            m_started += int(m_process.readAllStandardOutput().count("module emulator on COM"));
    }
    ~Rack()
    {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        m_process.waitForFinished();
    }
    [[nodiscard]] int started() const { return m_started; }

private:
    QProcess m_process;
    int m_started = 0;
};

ModuleConfig makeProfile(std::uint32_t filterMask, int schedulerEntries)
{
    ModuleConfig p = ModuleConfig::NewProfile();
    p.CAN.Baudrate = 0x0114;
    p.CAN.FilterMask = filterMask;
    p.CAN.FilterCode = 0x00000ABC;
    p.CAN.ErrorId = 0x000007FE;
    p.LIN.Baudrate = 10400;
    p.LIN.FilterMask = 0x3F;
    SetNibble(p.LIN.FrameLengths, 7, 5);
    for (int i = 0; i < kFrameCount; ++i) {
        auto &frame = p.LIN.Frames[std::size_t(i)];
        frame.ID = std::uint8_t(i);
        frame.Length = std::uint8_t(FrameByteCount(p.LIN, i));
        frame.Data.fill(std::uint8_t(0x40 + i));
    }
    p.LIN.SchedulerCount = std::uint16_t(schedulerEntries);
    for (int i = 0; i < schedulerEntries; ++i)
        p.LIN.SchedulerEntries[std::size_t(i)] = {std::uint16_t(10 * (i + 1)), std::uint8_t(i + 1)};
    return p;
}

bool saveProfile(const ModuleConfig &p, const QString &path)
{
    clsVLINXMLProfile document;
    return document.WriteAll(p.RS232.Baudrate, p.CAN, p.LIN) && document.SaveAs(path);
}

QJsonObject readJson(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The modules of a report by COM number.
QMap<int, QJsonObject> modulesOf(const QJsonObject &report)
{
    QMap<int, QJsonObject> modules;
    for (const auto &value : report["modules"].toArray())
        modules.insert(value.toObject()["port"].toInt(), value.toObject());
    return modules;
}

QStringList names(const QJsonArray &values)
{
    QStringList list;
    for (const auto &value : values)
        list << value.toObject()["name"].toString();
    return list;
}

} // namespace

class TestProductionLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sendVerifyToFaultyRack();
    void planSendsEachItsProfile();
    void readSeveralModules();
    void maintenanceOnSeveral_data();
    void maintenanceOnSeveral();
    void badInputSendsNothing_data();
    void badInputSendsNothing();

private:
    Run run(const QStringList &args) const;
    [[nodiscard]] QString file(const QString &name) const { return m_home.filePath(name); }

    QTemporaryDir m_home;
    std::unique_ptr<Rack> m_faulty;
    std::unique_ptr<Rack> m_plain;
};

void TestProductionLine::initTestCase()
{
    QVERIFY(m_home.isValid());
    // COM13 never answers; COM14 refuses the CAN filter mask a send writes; COM15 has older
    // firmware; COM16 refuses to report the CAN filter code; COM17 stops answering in the middle
    // of the send (from its 150th reply on: after the read's 97, in the send).
    m_faulty = std::make_unique<Rack>(m_home.path(),
                                      kRackPort,
                                      8,
                                      QStringList{"13:silent",
                                                  "14:refuse=1/33/5",
                                                  "15:firmware=01.01.05",
                                                  "16:refuse=1/14/5",
                                                  "17:silent-from=150"});
    m_plain = std::make_unique<Rack>(m_home.path(), kPlainPort, 3, QStringList{});
    QCOMPARE(m_faulty->started(), 8);
    QCOMPARE(m_plain->started(), 3);
}

void TestProductionLine::cleanupTestCase()
{
    m_faulty.reset();
    m_plain.reset();
}

Run TestProductionLine::run(const QStringList &args) const
{
    QProcess process;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.insert(QStringLiteral("WINEPREFIX"), m_home.filePath(QStringLiteral("wine")));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VXL_BINARY_DIR "/vexalin-cli"), args);
    Run result;
    if (!process.waitForFinished(kRunMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void TestProductionLine::sendVerifyToFaultyRack()
{
    const QString profile = file("rack.vxlin");
    QVERIFY(saveProfile(makeProfile(0x12345678, 2), profile));
    const QString report = file("rack.json");
    const QString junit = file("rack.xml");
    const Run send = run({"send",
                          profile,
                          "--port",
                          "11-18",
                          "--verify",
                          "--yes",
                          "--report",
                          report,
                          "--junit",
                          junit});
    // The highest of the modules' codes: COM17's lost connection.
    QCOMPARE(send.exitCode, 3);
    const QStringList lines = send.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.last(), QStringLiteral("5 passed, 2 failed, 1 not reached"));
    for (int port : {11, 12, 15, 16, 18})
        QVERIFY2(lines.filter(QRegularExpression(QStringLiteral("^COM%1: passed \\(").arg(port)))
                         .size()
                     == 1,
                 qPrintable(send.out));
    QVERIFY(lines.filter(QRegularExpression("^COM13: not reached \\(")).size() == 1);
    QVERIFY2(lines.filter(QRegularExpression("^COM14: failed \\(.*The given value is out of "
                                             "range\\."))
                     .size()
                 == 1,
             qPrintable(send.out));
    QVERIFY(lines.filter(QRegularExpression("^COM17: failed \\(")).size() == 1);
    // What did not pass is told on stderr with its COM number.
    QVERIFY2(send.err.contains("COM14: Error: Error sending the profile to the Module: The given "
                               "value is out of range.\n"),
             qPrintable(send.err));

    const QJsonObject json = readJson(report);
    QCOMPARE(json["command"].toString(), QStringLiteral("send"));
    QCOMPARE(json["exitCode"].toInt(), 3);
    const auto modules = modulesOf(json);
    QCOMPARE(modules.size(), 8);
    QSet<QString> hardware;
    for (auto it = modules.begin(); it != modules.end(); ++it) {
        const QJsonObject &m = it.value();
        QCOMPARE(m["device"].toString(),
                 QFileInfo(file(QStringLiteral("Norvel/VEXALIN/dosdevices/com%1").arg(it.key())))
                     .symLinkTarget());
        if (it.key() != 13) {
            QVERIFY2(m["hardware"].toString().endsWith(QStringLiteral(" %1").arg(it.key())),
                     qPrintable(m["hardware"].toString()));
            hardware.insert(m["hardware"].toString());
        }
        QVERIFY(m["seconds"].toDouble() > 0);
    }
    QCOMPARE(hardware.size(), 7); // each module its own identity
    QCOMPARE(modules[11]["result"].toString(), QStringLiteral("passed"));
    QCOMPARE(modules[11]["firmware"].toString(), QStringLiteral("01.02.15"));
    QCOMPARE(modules[11]["buildMode"].toString(), modules[12]["buildMode"].toString());
    QVERIFY(modules[11]["differences"].toArray().isEmpty());
    QCOMPARE(modules[13]["result"].toString(), QStringLiteral("not reached"));
    QCOMPARE(modules[13]["exitCode"].toInt(), 3);
    QCOMPARE(modules[13]["hardware"].toString(), QString());
    QCOMPARE(modules[14]["result"].toString(), QStringLiteral("failed"));
    QCOMPARE(modules[14]["exitCode"].toInt(), 1);
    QVERIFY(!modules[14]["compared"].toBool());
    QCOMPARE(modules[15]["firmware"].toString(), QStringLiteral("01.01.05"));
    QCOMPARE(modules[15]["result"].toString(), QStringLiteral("passed"));
    QVERIFY(names(modules[15]["notCompared"].toArray()).contains("CAN/Error_ID"));
    const QJsonArray refused = modules[16]["notCompared"].toArray();
    QVERIFY(names(refused).contains("CAN/Filter_Code"));
    for (const auto &value : refused)
        if (value.toObject()["name"].toString() == "CAN/Filter_Code")
            QCOMPARE(value.toObject()["reason"].toString(), QStringLiteral("refused with code 5"));
    QCOMPARE(modules[17]["exitCode"].toInt(), 3);

    // The JUnit report follows the common layout, one test case per module.
    QProcess xmllint;
    xmllint.start("xmllint",
                  {"--noout", "--schema", QStringLiteral(VXL_TEST_DATA_DIR "/junit.xsd"), junit});
    QVERIFY(xmllint.waitForFinished(kRunMs));
    QVERIFY2(xmllint.exitCode() == 0, xmllint.readAllStandardError().constData());
    QFile xml(junit);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(xml.readAll());
    QVERIFY(text.contains("<testsuites name=\"vexalin-cli send\" tests=\"8\" failures=\"2\" "
                          "errors=\"1\""));
    QCOMPARE(text.count("<testcase "), 8);
    QCOMPARE(text.count("<failure "), 2);
    QCOMPARE(text.count("<error "), 1);
    QVERIFY(text.contains("<testcase classname=\"vexalin-cli send\" name=\"COM14\""));
}

void TestProductionLine::planSendsEachItsProfile()
{
    QVERIFY(saveProfile(makeProfile(0x11111111, 1), file("a.vxlin")));
    QVERIFY(saveProfile(makeProfile(0x22222222, 3), file("b.vxlin")));
    const QString plan = file("plan.csv");
    {
        QFile csv(plan);
        QVERIFY(csv.open(QIODevice::WriteOnly | QIODevice::Text));
        // Profiles named relative to the plan's own folder.
        csv.write("port,profile,label\n"
                  "21,a.vxlin,left\n"
                  "# the middle station is not fitted today\n"
                  "\n"
                  "23,b.vxlin,right\n");
    }
    const Run send = run({"send", "--plan", plan, "--verify"});
    QCOMPARE(send.exitCode, 0);
    QCOMPARE(send.out.split('\n', Qt::SkipEmptyParts).filter(" passed (").size(), 2);
    QVERIFY(send.out.contains(
        QRegularExpression("^COM21 left: passed \\(", QRegularExpression::MultilineOption)));
    QVERIFY(send.out.endsWith("2 passed, 0 failed, 0 not reached\n"));

    // Each module holds its own profile, and not the other's.
    const Run planned = run({"verify", "--plan", plan});
    QCOMPARE(planned.exitCode, 0);
    const Run crossed = run({"verify", file("a.vxlin"), "--port", "21,23"});
    QCOMPARE(crossed.exitCode, 1);
    QVERIFY(crossed.out.contains(
        QRegularExpression("^COM21: passed", QRegularExpression::MultilineOption)));
    QVERIFY(crossed.out.contains(QRegularExpression("^COM23: failed \\(.*\\): \\d+ values differ",
                                                    QRegularExpression::MultilineOption)));
    QVERIFY2(crossed.err.contains("COM23: CAN/Filter_Mask: profile 286331153 (0x11111111), module "
                                  "572662306 (0x22222222)\n"),
             qPrintable(crossed.err));
}

void TestProductionLine::readSeveralModules()
{
    const Run json = run({"read", "--port", "21-23", "--json"});
    QCOMPARE(json.exitCode, 0);
    const QJsonArray modules = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(modules.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject module = modules[i].toObject();
        QCOMPARE(module["port"].toInt(), kPlainPort + i);
        QCOMPARE(module["module"].toObject()["hardware"].toString(),
                 QStringLiteral("VXL-LIN-G 1. %1").arg(kPlainPort + i));
    }
    QVERIFY(json.err.endsWith("3 passed, 0 failed, 0 not reached\n"));

    const Run grid = run({"read", "--port", "21,22"});
    QCOMPARE(grid.exitCode, 0);
    QVERIFY2(grid.out.startsWith("COM21\nHardware: VXL-LIN-G 1. 21\n"), qPrintable(grid.out));
    QVERIFY(grid.out.contains("\n\nCOM22\nHardware: VXL-LIN-G 1. 22\n"));

    const Run oneFile = run({"read", "--port", "21-23", "--profile", file("same.vxlin")});
    QCOMPARE(oneFile.exitCode, 2);
    QVERIFY(oneFile.err.contains("with several modules the file name needs {port}"));
    QVERIFY(!QFile::exists(file("same.vxlin")));

    const Run files = run({"read", "--port", "21-23", "--profile", file("station{port}.vxlin")});
    QCOMPARE(files.exitCode, 0);
    for (int port = 21; port <= 23; ++port) {
        clsVLINXMLProfile document;
        QVERIFY(document.OpenFile(file(QStringLiteral("station%1.vxlin").arg(port))));
    }
    const Run entries = run({"scheduler", "get", file("entries{port}.vxlin"), "--port", "22,23"});
    QCOMPARE(entries.exitCode, 0);
    QVERIFY(QFile::exists(file("entries22.vxlin")));
    QVERIFY(QFile::exists(file("entries23.vxlin")));
}

void TestProductionLine::maintenanceOnSeveral_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("summary");
    // COM22 has no scheduler entries (the plan left it out): no master can run there.
    QTest::newRow("master on") << QStringList{"master", "on", "--port", "21-23"} << 1
                               << "2 passed, 1 failed, 0 not reached";
    QTest::newRow("master off") << QStringList{"master", "off", "--port", "21-23"} << 0
                                << "3 passed, 0 failed, 0 not reached";
    QTest::newRow("scheduler clear")
        << QStringList{"scheduler", "clear", "--yes", "--port", "21,22,23"} << 0
        << "3 passed, 0 failed, 0 not reached";
    QTest::newRow("defaults, one silent")
        << QStringList{"defaults", "--port", "12,13"} << 3 << "1 passed, 0 failed, 1 not reached";
    // Without --yes the question is refused on every module.
    QTest::newRow("flash refused")
        << QStringList{"flash", "--port", "21-22"} << 1 << "0 passed, 2 failed, 0 not reached";
    QTest::newRow("reset") << QStringList{"reset", "--port", "21-23"} << 0
                           << "3 passed, 0 failed, 0 not reached";
}

void TestProductionLine::maintenanceOnSeveral()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, summary);
    const Run result = run(args);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.out.endsWith(summary + '\n'), qPrintable(result.out + result.err));
}

void TestProductionLine::badInputSendsNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("planText"); // written to plan.csv when not empty
    QTest::newRow("reversed range")
        << QStringList{"read", "--port", "23-21"}
        << "vexalin-cli: --port takes COM numbers from 1 to 255" << QString();
    QTest::newRow("port out of range") << QStringList{"reset", "--port", "21,256"}
                                       << "vexalin-cli: --port takes COM numbers" << QString();
    QTest::newRow("one port not mapped") << QStringList{"send", "PROFILE", "--port", "21-24"}
                                         << "COM24 is not mapped to any device" << QString();
    QTest::newRow("plan and port") << QStringList{"send", "--plan", "PLAN", "--port", "21"}
                                   << "vexalin-cli: --plan names the ports and profiles"
                                   << "21,a.vxlin\n";
    QTest::newRow("plan line malformed")
        << QStringList{"verify", "--plan", "PLAN"}
        << "vexalin-cli: plan.csv:2: expected \"port,profile[,label]\""
        << "21,a.vxlin\n21\n";
    QTest::newRow("plan names a port twice")
        << QStringList{"send", "--plan", "PLAN"} << "vexalin-cli: plan.csv:2: COM21 is named twice"
        << "21,a.vxlin\n21,b.vxlin\n";
    QTest::newRow("plan names a missing profile")
        << QStringList{"send", "--plan", "PLAN"} << "vexalin-cli: the file \""
        << "22,none.vxlin\n";
}

void TestProductionLine::badInputSendsNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QFETCH(QString, planText);
    const QString plan = file("plan.csv");
    if (!planText.isEmpty()) {
        QFile csv(plan);
        QVERIFY(csv.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        csv.write(planText.toUtf8());
    }
    QVERIFY(saveProfile(makeProfile(0x33333333, 0), file("bad.vxlin")));
    args.replaceInStrings("PROFILE", file("bad.vxlin"));
    args.replaceInStrings("PLAN", plan);
    const Run result = run(args);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.startsWith(message), qPrintable(result.err));
    QCOMPARE(result.out, QString());
    // Nothing was sent: the modules still hold what they held.
    const Run verify = run({"verify", file("bad.vxlin"), "--port", "21"});
    QCOMPARE(verify.exitCode, 1);
}

QTEST_GUILESS_MAIN(TestProductionLine)
#include "tst_production_line.moc"
