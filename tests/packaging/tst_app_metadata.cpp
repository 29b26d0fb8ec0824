// The AppStream metainfo that software centres show: valid for appstreamcli, and naming the
// same application, menu entry, file type and programs as the rest of the package.

#include "packaging/program_run.h"
#include "ui/main/application_setup.h"

#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <pugixml.hpp>

namespace {

const QString kPackaging = QStringLiteral(VXL_SOURCE_DIR "/packaging/");

// The one hint the validator is expected to give, and why it stays: the project's address is
// under the reserved top-level domain "example" until it has a web address of its own, and the
// validator does not know that domain.
const QSet<QString> kAcceptedHints{QStringLiteral("cid-maybe-not-rdns")};

QString metainfoPath()
{
    return kPackaging + QGuiApplication::desktopFileName() + QStringLiteral(".metainfo.xml");
}

} // namespace

class tst_AppMetadata : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void validates();
    void namesTheMenuEntryItIsFor();
    void providesTheFileTypeAndPrograms();

private:
    pugi::xml_document m_metainfo;
};

void tst_AppMetadata::initTestCase()
{
    // The id the program gives itself, and so the names of the installed files.
    vxl::SetUpApplication();
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("example.norvel.VexalinCT"));
    QVERIFY(m_metainfo.load_file(QFile::encodeName(metainfoPath()).constData()));
}

void tst_AppMetadata::validates()
{
    const auto run = vxl::test::runProgram(QStringLiteral("appstreamcli"),
                                           {QStringLiteral("validate"),
                                            QStringLiteral("--no-net"),
                                            metainfoPath()});
    QVERIFY2(run.started, "appstreamcli is missing: make deps installs appstream");
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    // Hints are "I: <id>:<line>: <tag> ...".
    static const QRegularExpression hint(QStringLiteral("^[EWIP]: [^ ]+ ([a-z0-9-]+)"),
                                         QRegularExpression::MultilineOption);
    for (const auto &match : hint.globalMatch(run.out))
        QVERIFY2(kAcceptedHints.contains(match.captured(1)), qPrintable(run.out));
}

void tst_AppMetadata::namesTheMenuEntryItIsFor()
{
    const auto component = m_metainfo.child("component");
    const QString id = QString::fromUtf8(component.child_value("id"));
    QCOMPARE(id, QGuiApplication::desktopFileName());
    const QString launchable = QString::fromUtf8(component.child_value("launchable"));
    QCOMPARE(launchable, id + QStringLiteral(".desktop"));
    QVERIFY(QFile::exists(kPackaging + launchable));
}

void tst_AppMetadata::providesTheFileTypeAndPrograms()
{
    pugi::xml_document mime;
    const QString mimeFile = kPackaging + QGuiApplication::desktopFileName()
                             + QStringLiteral(".mime.xml");
    QVERIFY(mime.load_file(QFile::encodeName(mimeFile).constData()));
    const QString type = QString::fromUtf8(
        mime.child("mime-info").child("mime-type").attribute("type").value());
    QVERIFY(!type.isEmpty());

    QStringList mediaTypes;
    QStringList binaries;
    for (const auto node : m_metainfo.child("component").child("provides").children()) {
        const QString value = QString::fromUtf8(node.child_value());
        if (QLatin1String(node.name()) == QLatin1String("mediatype"))
            mediaTypes << value;
        else if (QLatin1String(node.name()) == QLatin1String("binary"))
            binaries << value;
    }
    QCOMPARE(mediaTypes, QStringList{type});
    QCOMPARE(binaries.size(), 3);
    for (const QString &binary : binaries)
        QVERIFY2(QFile::exists(vxl::test::builtProgram(binary)), qPrintable(binary));
}

QTEST_GUILESS_MAIN(tst_AppMetadata)
#include "tst_app_metadata.moc"
