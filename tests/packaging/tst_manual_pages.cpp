// The manual pages as man shows them: they render without a warning, and every option that a
// program's --help lists is on its page (for vexalin-cli, in the part of each command).

#include "packaging/program_run.h"

#include <QTest>

namespace {

const QString kManDir = QStringLiteral(VXL_BINARY_DIR "/man/");

// The page as man renders it from the compressed file that is installed; plain ASCII so that
// options read as typed. Without hyphenation an option is never split across lines.
vxl::test::ProgramRun renderPage(const QString &program, bool hyphenate = true)
{
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.remove(QStringLiteral("MANPAGER"));
    env.remove(QStringLiteral("PAGER"));
    QStringList args{QStringLiteral("--warnings")};
    if (!hyphenate)
        args << QStringLiteral("--no-hyphenation");
    args << QStringLiteral("-l") << kManDir + program + QStringLiteral(".1.gz");
    return vxl::test::runProgram(QStringLiteral("man"), args, env);
}

QString helpOf(const QStringList &args)
{
    const auto run = vxl::test::runProgram(vxl::test::builtProgram(args.first()), args.mid(1));
    return run.exitCode == 0 ? run.out : QString();
}

// The rendered lines of vexalin-cli's COMMANDS section that belong to one command: from its
// heading ("   vexalin-cli read [options]") to the next heading or section.
QString commandPart(const QString &page, const QString &command)
{
    const QStringList lines = page.split(QLatin1Char('\n'));
    const QString heading = QStringLiteral("   vexalin-cli ") + command + QLatin1Char(' ');
    QStringList part;
    bool inPart = false;
    for (const QString &line : lines) {
        const bool headingLine = line.startsWith(QStringLiteral("   vexalin-cli "));
        const bool sectionLine = !line.isEmpty() && !line.front().isSpace();
        if (inPart && (headingLine || sectionLine))
            break;
        if ((line + QLatin1Char(' ')).startsWith(heading))
            inPart = true;
        if (inPart)
            part << line;
    }
    return part.join(QLatin1Char('\n'));
}

} // namespace

class tst_ManualPages : public QObject
{
    Q_OBJECT

private slots:
    void rendersWithoutWarnings_data();
    void rendersWithoutWarnings();
    void pageHasEveryOption_data();
    void pageHasEveryOption();
    void cliPageHasEveryCommandsOptions();
};

void tst_ManualPages::rendersWithoutWarnings_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::newRow("window program")
        << QStringLiteral("vexalin-ct")
        << QStringLiteral("configure VEXA-LIN CAN/LIN gateway modules over a serial");
    QTest::newRow("command line") << QStringLiteral(
        "vexalin-cli") << QStringLiteral("the module operations of VEXA-LIN CT from a terminal");
    QTest::newRow("emulator") << QStringLiteral("vexalin-sim")
                              << QStringLiteral("a VEXA-LIN module emulated on a virtual COM");
}

void tst_ManualPages::rendersWithoutWarnings()
{
    QFETCH(QString, program);
    QFETCH(QString, name);
    const auto run = renderPage(program);
    QVERIFY2(run.started, "man is missing: make deps installs man-db");
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    // The NAME line that whatis and apropos index.
    QVERIFY2(run.out.simplified().contains(program + QStringLiteral(" - ") + name),
             qPrintable(run.out));
    QVERIFY(run.out.contains(QStringLiteral("SEE ALSO")));
}

void tst_ManualPages::pageHasEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("window program") << QStringLiteral("vexalin-ct");
    QTest::newRow("command line") << QStringLiteral("vexalin-cli");
    QTest::newRow("emulator") << QStringLiteral("vexalin-sim");
}

void tst_ManualPages::pageHasEveryOption()
{
    QFETCH(QString, program);
    const auto options = vxl::test::longOptionsOf(helpOf({program, QStringLiteral("--help")}));
    QVERIFY2(options.contains(QStringLiteral("--version")), qPrintable(program));
    const QString page = renderPage(program, false).out;
    for (const QString &option : options)
        QVERIFY2(page.contains(option), qPrintable(program + QLatin1Char(' ') + option));
}

void tst_ManualPages::cliPageHasEveryCommandsOptions()
{
    const QString page = renderPage(QStringLiteral("vexalin-cli"), false).out;
    const QStringList commands = vxl::test::commandsOf(
        helpOf({QStringLiteral("vexalin-cli"), QStringLiteral("--help")}));
    QVERIFY(commands.size() > 10);
    for (const QString &command : commands) {
        const QString part = commandPart(page, command);
        QVERIFY2(!part.isEmpty(), qPrintable(command + QStringLiteral(": no part on the page")));
        const auto options = vxl::test::longOptionsOf(
            helpOf({QStringLiteral("vexalin-cli"), command, QStringLiteral("--help")}));
        QVERIFY2(options.contains(QStringLiteral("--help")), qPrintable(command));
        for (const QString &option : options)
            QVERIFY2(part.contains(option), qPrintable(command + QLatin1Char(' ') + option));
    }
}

QTEST_GUILESS_MAIN(tst_ManualPages)
#include "tst_manual_pages.moc"
