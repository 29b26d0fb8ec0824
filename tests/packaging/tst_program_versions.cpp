// --version of the three programs: the program's name and the project's version, printed without
// a display, as packaging tools and users expect of any program.

#include "packaging/program_run.h"

#include <QTest>

class tst_ProgramVersions : public QObject
{
    Q_OBJECT

private slots:
    void printsNameAndVersion_data();
    void printsNameAndVersion();
};

void tst_ProgramVersions::printsNameAndVersion_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("window program") << QStringLiteral("vexalin-ct");
    QTest::newRow("command line") << QStringLiteral("vexalin-cli");
    QTest::newRow("emulator") << QStringLiteral("vexalin-sim");
}

void tst_ProgramVersions::printsNameAndVersion()
{
    QFETCH(QString, program);
    // No display of any kind: the window program must answer before it needs one.
    auto env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    const auto run = vxl::test::runProgram(vxl::test::builtProgram(program),
                                           {QStringLiteral("--version")},
                                           env);
    QVERIFY2(run.started, qPrintable(program));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, program + QStringLiteral(" " VXL_VERSION_TEXT "\n"));
    QCOMPARE(run.err, QString());
}

QTEST_GUILESS_MAIN(tst_ProgramVersions)
#include "tst_program_versions.moc"
