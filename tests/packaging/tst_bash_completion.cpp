// The bash completion of vexalin-cli, in a bash that has loaded bash-completion and the
// completion file: what Tab offers after a line, as bash would call the completion function.

#include "packaging/program_run.h"

#include "sim/emulator_host.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kCompletionFile = QStringLiteral(VXL_SOURCE_DIR
                                               "/packaging/vexalin-cli.bash-completion");
constexpr int kEmulatorCom = 7;

// Prints what Tab offers after a line (a file beside this one).
const QString kCompleteLine = QStringLiteral(VXL_SOURCE_DIR "/tests/packaging/complete_line.bash");

// "a b c" as a list of words.
QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class tst_BashCompletion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void offers_data();
    void offers();
    void commandsAreTheProgramsOwn();
    void optionsAreEachCommandsOwn();

private:
    // What Tab offers after the line, sorted.
    QStringList complete(const QString &line);

    QTemporaryDir m_folder; // the shell's working folder, with files of several kinds
    std::unique_ptr<vxl::sim::EmulatorHost> m_module;
};

void tst_BashCompletion::initTestCase()
{
    QVERIFY(m_folder.isValid());
    for (const char *name : {"bench.vxlin", "LINE.VXLIN", "old.lin", "notes.txt"}) {
        QFile file(m_folder.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("profiles")));

    // A module on a COM number of this test's own port map, which "vexalin-cli ports" lists.
    vxl::sim::EmulatorOptions options;
    options.comNumber = kEmulatorCom;
    options.dosDevices = QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                             .filePath(QStringLiteral("Norvel/VEXALIN/dosdevices"));
    QVERIFY(QDir().mkpath(options.dosDevices));
    m_module = std::make_unique<vxl::sim::EmulatorHost>(options);
    QVERIFY(m_module->start());
}

QStringList tst_BashCompletion::complete(const QString &line)
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"),
               QStringLiteral(VXL_BINARY_DIR ":") + env.value(QStringLiteral("PATH")));
    const auto run = vxl::test::runProgram(QStringLiteral("bash"),
                                           {QStringLiteral("--norc"),
                                            QStringLiteral("--noprofile"),
                                            kCompleteLine,
                                            kCompletionFile,
                                            line},
                                           env,
                                           {},
                                           m_folder.path());
    if (!run.started || run.exitCode != 0) {
        qWarning() << "bash:" << run.exitCode << run.err;
        return {QStringLiteral("<bash failed>")};
    }
    QStringList offered = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    offered.sort();
    return offered;
}

void tst_BashCompletion::offers_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("offered");
    const auto row = [](const char *name, const QString &line, const QStringList &offered) {
        QTest::newRow(name) << line << offered;
    };
    const QString com = QString::number(kEmulatorCom);
    const QStringList profiles = words("LINE.VXLIN bench.vxlin profiles");
    row("command", "vexalin-cli se", words("send"));
    row("commands by prefix", "vexalin-cli r", words("raw read reset"));
    row("options before a command", "vexalin-cli --", words("--help --version"));
    row("options of send",
        "vexalin-cli send --",
        words("--baud --flash --help --junit --plan --port --report --reset --verify --yes"));
    row("option by prefix", "vexalin-cli trace --f", words("--format"));
    row("options after the argument", "vexalin-cli send bench.vxlin --f", words("--flash"));
    row("profiles by extension", "vexalin-cli send ", profiles);
    row("profile after options", "vexalin-cli verify --port 3 b", words("bench.vxlin"));
    row("legacy profile to convert", "vexalin-cli convert ", words("old.lin profiles"));
    row("new profile of a conversion", "vexalin-cli convert old.lin ", profiles);
    row("profile to save a read in", "vexalin-cli read --profile ", profiles);
    row("log file", "vexalin-cli trace --log n", words("notes.txt"));
    row("COM numbers that open", "vexalin-cli read --port " + com.left(1), QStringList{com});
    row("COM numbers, short option", "vexalin-cli reset -p " + com.left(1), QStringList{com});
    row("bit rates", "vexalin-cli read --baud ", words("115200 19200 38400 4800 57600 9600"));
    row("bit rate after =", "vexalin-cli read --baud=96", words("9600"));
    row("trace formats", "vexalin-cli trace --format c", words("candump"));
    row("nothing for a count", "vexalin-cli trace --count ", QStringList());
    row("master states", "vexalin-cli master ", words("off on"));
    row("scheduler actions", "vexalin-cli scheduler ", words("clear get set"));
    row("interface groups", "vexalin-cli raw L", words("LIN"));
    row("unknown command", "vexalin-cli nonsense ", QStringList());
}

void tst_BashCompletion::offers()
{
    QFETCH(QString, line);
    QFETCH(QStringList, offered);
    QCOMPARE(complete(line), offered);
}

// Every command of the program's overview, and no other.
void tst_BashCompletion::commandsAreTheProgramsOwn()
{
    const auto overview = vxl::test::runProgram(vxl::test::builtProgram(
                                                    QStringLiteral("vexalin-cli")),
                                                {QStringLiteral("--help")});
    QStringList commands = vxl::test::commandsOf(overview.out);
    QVERIFY(commands.size() > 10);
    commands.sort();
    QCOMPARE(complete(QStringLiteral("vexalin-cli ")), commands);
}

// The long options of "vexalin-cli COMMAND --help", for every command: an option added to a
// command belongs in the completion's table too.
void tst_BashCompletion::optionsAreEachCommandsOwn()
{
    const QString cli = vxl::test::builtProgram(QStringLiteral("vexalin-cli"));
    const auto overview = vxl::test::runProgram(cli, {QStringLiteral("--help")});
    for (const QString &command : vxl::test::commandsOf(overview.out)) {
        const auto help = vxl::test::runProgram(cli, {command, QStringLiteral("--help")});
        QStringList options = vxl::test::longOptionsOf(help.out).values();
        options.sort();
        QVERIFY2(!options.isEmpty(), qPrintable(command));
        const QStringList offered = complete(QStringLiteral("vexalin-cli %1 --").arg(command));
        QVERIFY2(offered == options,
                 qPrintable(command + QStringLiteral(": offered ") + offered.join(' ')
                            + QStringLiteral(", --help lists ") + options.join(' ')));
    }
}

QTEST_GUILESS_MAIN(tst_BashCompletion)
#include "tst_bash_completion.moc"
