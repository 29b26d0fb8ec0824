// The pictures of the tool buttons and picture buttons: made when first drawn or measured, not
// when the window is built, and then drawn exactly as the style's own pictures.

#include "support/window_fixture.h"
#include "ui/main/main_window.h"
#include "ui/widgets/control_icons.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

using namespace vxl;
using namespace vxl::test;

namespace {

// The application's style, noting each standard picture asked of it.
class NotingStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap picture,
                       const QStyleOption *option,
                       const QWidget *widget) const override
    {
        asked.push_back(picture);
        return QProxyStyle::standardIcon(picture, option, widget);
    }

    mutable std::vector<StandardPixmap> asked;
};

QImage painted(const QIcon &icon, const QSize &canvas, qreal ratio, QIcon::Mode mode)
{
    QImage image(canvas * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.paint(&painter, QRect(QPoint(0, 0), canvas), Qt::AlignCenter, mode);
    return image;
}

} // namespace

class TestControlIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_style->asked.clear(); }
    void madeOnceWhenFirstUsed_data();
    void madeOnceWhenFirstUsed();
    void looksAskedInTurn_data();
    void looksAskedInTurn();
    void disabledLookFollowsThePalette();
    void drawnAsTheStylesPicture_data();
    void drawnAsTheStylesPicture();
    void noPictureForAnUnknownControl();
    void windowBuiltWithoutItsPictures();

private:
    QTemporaryDir m_noThemes;
    NotingStyle *m_style = nullptr; // owned by the application
};

void TestControlIcons::initTestCase()
{
    // No icon theme anywhere: every control shows the style's picture, whatever the machine has.
    QVERIFY(m_noThemes.isValid());
    QIcon::setThemeSearchPaths({m_noThemes.path()});
    QIcon::setThemeName(QStringLiteral("none"));
    m_style = new NotingStyle;
    QApplication::setStyle(m_style);
}

using Use = std::function<void(const QIcon &)>;

void TestControlIcons::madeOnceWhenFirstUsed_data()
{
    QTest::addColumn<Use>("use");
    QTest::newRow("pixmap") << Use([](const QIcon &icon) { (void) icon.pixmap(16); });
    QTest::newRow("paint") << Use(
        [](const QIcon &icon) { (void) painted(icon, QSize(20, 20), 1.0, QIcon::Normal); });
    QTest::newRow("actual size") << Use([](const QIcon &icon) {
        (void) icon.actualSize({16, 16});
    });
    QTest::newRow("sizes") << Use([](const QIcon &icon) { (void) icon.availableSizes(); });
}

void TestControlIcons::madeOnceWhenFirstUsed()
{
    QFETCH(Use, use);
    const QIcon icon = ControlIcon(QStringLiteral("btbRefresh"));
    QVERIFY(!icon.isNull());
    QCOMPARE(m_style->asked.size(), 0u);
    use(icon);
    QCOMPARE(m_style->asked.size(), 1u);
    // A copy, as a tool button's own action takes it, shares the made icon.
    const QIcon copy = icon;
    use(copy);
    use(icon);
    QCOMPARE(m_style->asked.size(), 1u);
    // Every other size and look comes from the made icon.
    (void) copy.pixmap(32, QIcon::Disabled);
    (void) icon.pixmap(48, QIcon::Active);
    QCOMPARE(m_style->asked.size(), 1u);
}

using Looks = QList<QIcon::Mode>;

void TestControlIcons::looksAskedInTurn_data()
{
    QTest::addColumn<Looks>("looks");
    QTest::newRow("enabled, then disabled") << Looks{QIcon::Normal, QIcon::Disabled};
    QTest::newRow("disabled, then enabled") << Looks{QIcon::Disabled, QIcon::Normal};
    QTest::newRow("disabled first") << Looks{QIcon::Disabled};
}

// The picture of "Check connection" is 15 pixels wide, and the style's icon settles which of its
// sizes a disabled look starts from only when a look of it is first drawn: a disabled picture
// drawn after an enabled one differs from one drawn first. The made icon is kept, so each order
// gives the pictures the style's icon gives.
void TestControlIcons::looksAskedInTurn()
{
    QFETCH(Looks, looks);
    const QIcon icon = ControlIcon(QStringLiteral("mniCheckConnection"));
    const QIcon own = QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton);
    for (const QIcon::Mode mode : looks)
        QCOMPARE(icon.pixmap(16, mode).toImage(), own.pixmap(16, mode).toImage());
}

void TestControlIcons::disabledLookFollowsThePalette()
{
    const QIcon icon = ControlIcon(QStringLiteral("mniSave"));
    const QIcon own = QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton);
    const QImage lightOwn = own.pixmap(16, QIcon::Disabled).toImage();
    QCOMPARE(icon.pixmap(16, QIcon::Disabled).toImage(), lightOwn);
    const QPalette before = QGuiApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Window, Qt::darkBlue);
    dark.setColor(QPalette::WindowText, Qt::yellow);
    QApplication::setPalette(dark);
    const QImage darkOwn = own.pixmap(16, QIcon::Disabled).toImage();
    const QImage darkDrawn = icon.pixmap(16, QIcon::Disabled).toImage();
    QApplication::setPalette(before);
    QVERIFY(darkOwn != lightOwn);
    QCOMPARE(darkDrawn, darkOwn);
}

void TestControlIcons::drawnAsTheStylesPicture_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStyle::StandardPixmap>("picture");
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QIcon::Mode>("mode");
    QTest::newRow("tool button") << "mniNew" << QStyle::SP_FileIcon << 16 << 1.0 << QIcon::Normal;
    QTest::newRow("disabled") << "mniSave" << QStyle::SP_DialogSaveButton << 16 << 1.0
                              << QIcon::Disabled;
    QTest::newRow("under the mouse")
        << "btbRefresh" << QStyle::SP_BrowserReload << 16 << 1.0 << QIcon::Active;
    QTest::newRow("scaled") << "btbOK" << QStyle::SP_DialogOkButton << 24 << 1.0 << QIcon::Normal;
    QTest::newRow("large") << "mniAbout" << QStyle::SP_MessageBoxInformation << 48 << 1.0
                           << QIcon::Selected;
    QTest::newRow("high density") << "btbMasterOn" << QStyle::SP_MediaPlay << 16 << 2.0
                                  << QIcon::Normal;
    QTest::newRow("high density, fraction")
        << "btbCancel" << QStyle::SP_DialogCancelButton << 16 << 1.5 << QIcon::Disabled;
}

void TestControlIcons::drawnAsTheStylesPicture()
{
    QFETCH(QString, control);
    QFETCH(QStyle::StandardPixmap, picture);
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    QFETCH(QIcon::Mode, mode);
    const QIcon icon = ControlIcon(control);
    const QIcon own = QApplication::style()->standardIcon(picture);
    const QSize wanted(size, size);
    QCOMPARE(icon.actualSize(wanted, mode), own.actualSize(wanted, mode));
    QCOMPARE(icon.availableSizes(mode), own.availableSizes(mode));
    const QPixmap pixmap = icon.pixmap(wanted, ratio, mode);
    const QPixmap ownPixmap = own.pixmap(wanted, ratio, mode);
    QCOMPARE(pixmap.devicePixelRatio(), ownPixmap.devicePixelRatio());
    QCOMPARE(pixmap.toImage(), ownPixmap.toImage());
    // Drawn off centre of a larger place, as a button draws it.
    const QSize place(size + 13, size + 6);
    QCOMPARE(painted(icon, place, ratio, mode), painted(own, place, ratio, mode));
}

void TestControlIcons::noPictureForAnUnknownControl()
{
    QVERIFY(ControlIcon(QStringLiteral("btbNoSuchControl")).isNull());
    QCOMPARE(m_style->asked.size(), 0u);
}

void TestControlIcons::windowBuiltWithoutItsPictures()
{
    storeStartSettings(1, 9);
    TfMain window;
    const std::vector<QStyle::StandardPixmap> built = m_style->asked;
    m_style->asked.clear();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(!m_style->asked.empty());
    for (const QStyle::StandardPixmap drawn : m_style->asked)
        QVERIFY2(std::find(built.begin(), built.end(), drawn) == built.end(),
                 qPrintable(
                     QStringLiteral("picture %1 made while the window was built").arg(int(drawn))));
}

QTEST_MAIN(TestControlIcons)
#include "tst_control_icons.moc"
