// The files that make the tool a desktop program: the MIME type of profiles, as the desktop's MIME
// database reads it from the installed XML, and the menu entry that opens such files in the tool.

#include <QDir>
#include <QFile>
#include <QMap>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kPackaging = QStringLiteral(VXL_SOURCE_DIR "/packaging");
const QString kProfileType = QStringLiteral("application/x-vexalin-profile");
// The application's id, which names the menu entry and the MIME package.
const QString kAppId = QStringLiteral("example.norvel.VexalinCT");

// The keys of a desktop entry's [Desktop Entry] group.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.section(QLatin1Char('='), 0, 0).trimmed(),
                        line.section(QLatin1Char('='), 1).trimmed());
    }
    return keys;
}

} // namespace

class tst_DesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void profilesHaveTheirType_data();
    void profilesHaveTheirType();
    void menuEntryOpensProfiles();

private:
    QTemporaryDir m_data;
};

// The MIME XML installed into a data folder of its own, which the MIME database reads as the
// desktop would read share/mime/packages.
void tst_DesktopFiles::initTestCase()
{
    QVERIFY(m_data.isValid());
    QVERIFY(QDir(m_data.path()).mkpath(QStringLiteral("mime/packages")));
    QVERIFY(QFile::copy(kPackaging + QLatin1Char('/') + kAppId + QStringLiteral(".mime.xml"),
                        m_data.filePath(QStringLiteral("mime/packages/") + kAppId
                                        + QStringLiteral(".xml"))));
    // Before the system's folders, as an installed package would be seen; the system's database
    // knows the parent type application/xml.
    const QByteArray system = qEnvironmentVariableIsEmpty("XDG_DATA_DIRS")
                                  ? QByteArrayLiteral("/usr/local/share:/usr/share")
                                  : qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(m_data.path()) + ':' + system);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.filePath(QStringLiteral("home"))));
}

void tst_DesktopFiles::profilesHaveTheirType_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("type");
    const QString data = QStringLiteral(VXL_TEST_DATA_DIR "/profiles/");
    QTest::newRow("profile") << data + QStringLiteral("reordered.vxlin") << kProfileType;
    QTest::newRow("other profile") << data + QStringLiteral("no_can.vxlin") << kProfileType;
    QTest::newRow("upper-case name") << QStringLiteral("/tmp/LINE_7.VXLIN") << kProfileType;
    QTest::newRow("other XML") << data + QStringLiteral("not_a_profile.xml")
                               << QStringLiteral("application/xml");
}

void tst_DesktopFiles::profilesHaveTheirType()
{
    QFETCH(QString, file);
    QFETCH(QString, type);
    const QMimeDatabase mime;
    const QMimeType found = mime.mimeTypeForFile(file, QMimeDatabase::MatchExtension);
    QCOMPARE(found.name(), type);
    if (type == kProfileType) {
        QVERIFY(found.inherits(QStringLiteral("application/xml")));
        QCOMPARE(found.comment(), QStringLiteral("VEXA-LIN profile"));
        QCOMPARE(found.genericIconName(), QStringLiteral("application-x-vexalin-profile"));
    }
}

void tst_DesktopFiles::menuEntryOpensProfiles()
{
    const auto entry = desktopEntry(kPackaging + QLatin1Char('/') + kAppId
                                    + QStringLiteral(".desktop"));
    QVERIFY(!entry.isEmpty());
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("VEXA-LIN CT"));
    // The file the desktop hands over is the program's one command-line argument.
    QCOMPARE(entry.value(QStringLiteral("Exec")), QStringLiteral("vexalin-ct %f"));
    QCOMPARE(entry.value(QStringLiteral("MimeType")), kProfileType + QLatin1Char(';'));
    const QString icon = entry.value(QStringLiteral("Icon"));
    QVERIFY(QFile::exists(kPackaging + QLatin1Char('/') + icon + QStringLiteral(".svg")));
}

QTEST_GUILESS_MAIN(tst_DesktopFiles)
#include "tst_desktop_files.moc"
