// The About box: version and module lines, the links, and that only one can be open.

#include "core/settings/version_info.h"
#include "modal_answer.h"
#include "support/test_support.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/widgets/link_label_widget.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vxl;
using vxl::test::ModalAnswer;

namespace {

// Stands in for the desktop's browser and mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

QString labelText(QWidget &dialog, const char *name)
{
    auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

} // namespace

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void moduleLine_data();
    void moduleLine();
    void linksChangeColourAndOpen_data();
    void linksChangeColourAndOpen();
    void okClosesAndOnlyOneIsOpen();
};

void TestAboutDialog::moduleLine_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("expected");

    QTest::newRow("not connected, blank fields")
        << QString(16, QLatin1Char(' ')) << QString(8, QLatin1Char(' ')) << false
        << "HW: ----- / FW: -----";
    QTest::newRow("not connected, stale texts") << "VXL-HW 02.02.01"
                                                << "01.01.05" << false << "HW: ----- / FW: -----";
    QTest::newRow("connected") << "VXL-HW 02.02.01"
                               << "01.01.05" << true << "HW: VXL-HW 02.02.01 / FW: 01.01.05";
    QTest::newRow("connected, percent signs kept") << "HW %2"
                                                   << "%1" << true << "HW: HW %2 / FW: %1";
}

void TestAboutDialog::moduleLine()
{
    QFETCH(QString, hardware);
    QFETCH(QString, firmware);
    QFETCH(bool, connected);
    QFETCH(QString, expected);

    TfAbout about(nullptr, hardware, firmware, connected);
    QCOMPARE(about.windowTitle(), QStringLiteral("About VEXA-LIN CT"));
    QCOMPARE(labelText(about, "laModule"), expected);
    QVERIFY(!ToolVersion().isEmpty());
    QCOMPARE(labelText(about, "laVersion"), QStringLiteral("Tool    Version: ") + ToolVersion());
    QCOMPARE(labelText(about, "laMaker"), QStringLiteral("Norvel"));

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    for (QLabel *label : about.findChildren<QLabel *>())
        QVERIFY2(label->width() >= label->minimumSizeHint().width(), qPrintable(label->text()));
    QString tag = QString::fromLatin1(QTest::currentDataTag());
    tag.remove(QLatin1Char(',')).replace(QLatin1Char(' '), QLatin1Char('_'));
    QVERIFY(!vxl::test::saveScreenshot(&about, QStringLiteral("about_dialog_") + tag).isEmpty());
}

void TestAboutDialog::linksChangeColourAndOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("scheme");

    QTest::newRow("web") << "laWeb"
                         << "https";
    QTest::newRow("mail") << "laMail"
                          << "mailto";
}

void TestAboutDialog::linksChangeColourAndOpen()
{
    QFETCH(QString, name);
    QFETCH(QString, scheme);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    auto restore = qScopeGuard([&]() { QDesktopServices::unsetUrlHandler(scheme); });

    TfAbout about(nullptr, QString(), QString(), false);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *link = about.findChild<LinkLabel *>(name);
    QVERIFY(link);
    QCOMPARE(link->url().scheme(), scheme);
    QCOMPARE(link->linkColor(), QColor(0x00, 0x00, 0x80));
    QVERIFY(link->text().contains(QStringLiteral("#000080")));

    const QPoint onText(4, link->height() / 2);
    QTest::mouseMove(link, onText);
    QTRY_COMPARE(link->linkColor(), QColor(0x00, 0x00, 0xFF));
    QVERIFY(link->text().contains(QStringLiteral("#0000ff")));
    QTest::mouseMove(link, QPoint(link->width() + 40, link->height() + 40));
    QTRY_COMPARE(link->linkColor(), QColor(0x00, 0x00, 0x80));

    QTest::mouseClick(link, Qt::LeftButton, {}, onText);
    QTRY_COMPARE(catcher.opened.size(), 1);
    QCOMPARE(catcher.opened.first(), link->url());
    QVERIFY(link->opened());
    QTest::mouseMove(link, QPoint(link->width() + 40, link->height() + 40));
    QTRY_COMPARE(link->linkColor(), QColor(0x80, 0x00, 0x00));
    QVERIFY(link->text().contains(QStringLiteral("#800000")));
}

void TestAboutDialog::okClosesAndOnlyOneIsOpen()
{
    QVERIFY(!TfAbout::isOpen());
    QWidget owner;
    owner.show();
    int result = -1;
    bool openWhileShown = false;
    {
        TfAbout about(&owner, QStringLiteral("HW"), QStringLiteral("FW"), true);
        auto watch = ModalAnswer::of<TfAbout>([&](TfAbout *shown) {
            openWhileShown = TfAbout::isOpen();
            QTest::mouseClick(shown->findChild<QPushButton *>(QStringLiteral("btnOK")),
                              Qt::LeftButton);
        });
        result = about.exec();
        QVERIFY(watch->answered());
    }
    QVERIFY(openWhileShown);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!TfAbout::isOpen());
}

QTEST_MAIN(TestAboutDialog)
#include "tst_about_dialog.moc"
