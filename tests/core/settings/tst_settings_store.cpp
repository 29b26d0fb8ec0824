// The settings record and the window placement in the per-user store.

#include "core/link/bit_rates.h"
#include "core/settings/form_config.h"
#include "core/settings/preferences_mapping.h"
#include "core/settings/settings_store.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace vxl;

namespace {

VXLIN_Values customValues()
{
    VXLIN_Values v;
    v.StartMode = 3;
    v.Port = 17;
    v.Baudrate = 57600;
    v.Timeout = 9;
    v.ScanCount = 40;
    v.ColorOn = 0x123456;
    v.ColorOff = 0x654321;
    v.ColorWorking = 0x00FF00;
    v.FirmwareVerUpdate = "01.02.00";
    v.HardwareVerUpdate = "03.00.00";
    v.TopMost = true;
    v.GermanHelp = true;
    return v;
}

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void userStoreLivesUnderXdgConfigHome();
    void firstStartGivesDefaultsAndWritesNothing();
    void writtenValuesAreReadBack();
    void brokenValues_data();
    void brokenValues();
    void missingStringReadsEmpty();
    void colours();
    void preferenceMappings_data();
    void preferenceMappings();
    void placement();
    void placementPulledBackOntoDesktop_data();
    void placementPulledBackOntoDesktop();

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() { return m_dir.filePath(QString("s%1.conf").arg(++m_files)); }
};

void TestSettingsStore::userStoreLivesUnderXdgConfigHome()
{
    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Norvel/VEXALIN.conf";
    QVERIFY(!qEnvironmentVariable("XDG_CONFIG_HOME").isEmpty());
    QCOMPARE(OpenSettingsStore()->fileName(), expected);
    QFile::remove(expected);
    VXLIN_Values values = customValues();
    QVERIFY(!ReadSettings(values));
    QCOMPARE(values, VXLIN_Values{});
    QVERIFY(!QFile::exists(expected));
    WriteSettings(customValues());
    QVERIFY(QFile::exists(expected));
    QVERIFY(ReadSettings(values));
    QCOMPARE(values, customValues());
}

void TestSettingsStore::firstStartGivesDefaultsAndWritesNothing()
{
    const QString path = freshPath();
    {
        QSettings store(path, QSettings::IniFormat);
        VXLIN_Values values = customValues();
        ReadSettings(store, values);
        QCOMPARE(values.StartMode, 2);
        QCOMPARE(values.Port, 1);
        QCOMPARE(values.Baudrate, 38400);
        QCOMPARE(values.Timeout, 5);
        QCOMPARE(values.ScanCount, 128);
        QCOMPARE(values.FirmwareVerUpdate, QStringLiteral("01.01.03"));
        QCOMPARE(values, VXLIN_Values{});
    }
    QVERIFY(!QFile::exists(path));
}

void TestSettingsStore::writtenValuesAreReadBack()
{
    const QString path = freshPath();
    {
        QSettings store(path, QSettings::IniFormat);
        WriteSettings(store, customValues());
    }
    // What another process would find: plain integers, booleans as 0 and 1.
    const QString text = fileText(path);
    for (const char *line :
         {"StartMode=3", "Port=17", "Timeout=9", "TopMost=1", "GermanHelp=1", "ColorWorking=65280"})
        QVERIFY2(text.contains(line), line);
    QVERIFY(!text.contains("true"));
    QSettings again(path, QSettings::IniFormat);
    VXLIN_Values values;
    QVERIFY(ReadSettings(again, values));
    QCOMPARE(values, customValues());
}

void TestSettingsStore::brokenValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value"); // invalid: removed
    QTest::newRow("Timeout deleted") << "Timeout" << QVariant();
    QTest::newRow("Port not a number") << "Port" << QVariant("abc");
    QTest::newRow("TopMost written as text") << "TopMost" << QVariant("true");
    QTest::newRow("GermanHelp deleted") << "GermanHelp" << QVariant();
    QTest::newRow("ColorOn empty") << "ColorOn" << QVariant("");
}

void TestSettingsStore::brokenValues()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    const QString path = freshPath();
    {
        QSettings store(path, QSettings::IniFormat);
        WriteSettings(store, customValues());
        if (value.isValid())
            store.setValue(name, value);
        else
            store.remove(name);
    }
    QSettings store(path, QSettings::IniFormat);
    VXLIN_Values values = customValues();
    QVERIFY(!ReadSettings(store, values));
    QCOMPARE(values, VXLIN_Values{}); // all twelve, also those read before
}

void TestSettingsStore::missingStringReadsEmpty()
{
    const QString path = freshPath();
    {
        QSettings store(path, QSettings::IniFormat);
        WriteSettings(store, customValues());
        store.remove("FirmwareVerUpdate");
    }
    QSettings store(path, QSettings::IniFormat);
    VXLIN_Values values;
    QVERIFY(ReadSettings(store, values));
    QCOMPARE(values.FirmwareVerUpdate, QString());
    VXLIN_Values expected = customValues();
    expected.FirmwareVerUpdate.clear();
    QCOMPARE(values, expected);
}

void TestSettingsStore::colours()
{
    QCOMPARE(SystemColorToRgb(16776960), 0x00FFFFu); // cyan, not yellow
    QCOMPARE(SystemColorToRgb(kDefaultColorOn), 0xEBF1FCu);
    QCOMPARE(SystemColorToRgb(kDefaultColorOff), 0xE9E0E0u);
    QCOMPARE(RgbToSystemColor(0x112233), 0x332211u);
    QCOMPARE(RgbToSystemColor(SystemColorToRgb(0xABCDEF)), 0xABCDEFu);
}

void TestSettingsStore::preferenceMappings_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("saved");
    QTest::newRow("4800") << 4800 << 0 << 4800;
    QTest::newRow("19200") << 19200 << 2 << 19200;
    QTest::newRow("14400 shows 38400") << 14400 << 3 << 38400;
    QTest::newRow("57600") << 57600 << 4 << 57600;
    QTest::newRow("115200") << 115200 << 5 << 115200;
}

void TestSettingsStore::preferenceMappings()
{
    QFETCH(int, stored);
    QFETCH(int, index);
    QFETCH(int, saved);
    QCOMPARE(BitRateIndex(stored), index);
    QCOMPARE(BitRateAt(index), saved);
    QCOMPARE(BitRateItems().at(index), QString("%1 bit/s").arg(saved));
    QCOMPARE(ClampPort(300), 255);
    QCOMPARE(ClampPort(0), 1);
    QCOMPARE(ClampTimeout(301), 300);
    QCOMPARE(ClampScanCount(128), 128);
    QCOMPARE(ClampScanCount(256 + 40), 40); // low 8 bits first
    QCOMPARE(ClampScanCount(256), 1);
    QCOMPARE(StartModeToIndex(3), 2);
    QCOMPARE(IndexToStartMode(0), 1);
    QCOMPARE(StartModeItems().at(2), QStringLiteral("Default connection"));
}

void TestSettingsStore::placement()
{
    const QString path = freshPath();
    QSettings store(path, QSettings::IniFormat);
    {
        clsFormConfig config(QSize(1920, 1080), &store);
        QVERIFY(config.NotStored());
        QVERIFY(!config.Modified());
    }
    store.sync();
    QVERIFY(!QFile::exists(path)); // nothing set, nothing written
    {
        clsFormConfig config(QSize(1920, 1080), &store);
        config.SetWidth(800);
        config.SetHeight(600);
        config.SetLeft(10);
        config.SetTop(20);
        config.SetMaximized(true);
    }
    clsFormConfig read(QSize(1920, 1080), &store);
    QVERIFY(!read.NotStored());
    QCOMPARE(read.Width(), 800);
    QCOMPARE(read.Left(), 10);
    QCOMPARE(read.Top(), 20);
    QVERIFY(read.Maximized());
    QVERIFY(fileText(path).contains("Maximized=1"));
}

void TestSettingsStore::placementPulledBackOntoDesktop_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("stored");
    QTest::newRow("inside") << QRect(100, 100, 800, 600) << QPoint(100, 100);
    QTest::newRow("off the right edge") << QRect(1500, 100, 800, 600) << QPoint(1920 - 800, 100);
    QTest::newRow("off the bottom edge")
        << QRect(100, 700, 800, 600) << QPoint(100, 1080 - 600 - 25);
    QTest::newRow("off both") << QRect(1800, 900, 800, 600) << QPoint(1120, 455);
}

void TestSettingsStore::placementPulledBackOntoDesktop()
{
    QFETCH(QRect, window);
    QFETCH(QPoint, stored);
    QSettings store(freshPath(), QSettings::IniFormat);
    {
        clsFormConfig config(QSize(1920, 1080), &store);
        config.SetLeft(window.left());
        config.SetTop(window.top());
        config.SetWidth(window.width());
        config.SetHeight(window.height());
    }
    clsFormConfig read(QSize(1920, 1080), &store);
    QCOMPARE(QPoint(read.Left(), read.Top()), stored);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
