// The Preferences dialog: how it shows a stored record, what it hands back, and its controls
// driven as an operator would on an offscreen display.

#include "modal_answer.h"
#include "support/test_support.h"
#include "ui/dialogs/preferences_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace vxl;
using vxl::test::ModalAnswer;

Q_DECLARE_METATYPE(vxl::VXLIN_Values)

namespace {

template<typename T>
T *child(QWidget *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("control %s not found", name);
    return found;
}

// What the dialog shows, one "name=value" text per control.
QStringList shown(TfPreferences &dialog)
{
    QStringList texts;
    for (const char *name :
         {"cbbConnection", "cmbBaud", "cbbLanguage", "clbConnect", "clbDisconnect", "clbWorking"})
        texts << QStringLiteral("%1=%2").arg(name, child<QComboBox>(&dialog, name)->currentText());
    for (const char *name : {"ediPort", "ediTimeOut"})
        texts << QStringLiteral("%1=%2").arg(name, child<QLineEdit>(&dialog, name)->text());
    for (const char *name : {"chbConnect", "chbDisconnect", "chbWorking", "chbStay"})
        texts << QStringLiteral("%1=%2").arg(name).arg(child<QCheckBox>(&dialog, name)->isChecked());
    texts << QStringLiteral("portEnabled=%1").arg(child<QLineEdit>(&dialog, "ediPort")->isEnabled());
    texts << QStringLiteral("baudEnabled=%1").arg(child<QComboBox>(&dialog, "cmbBaud")->isEnabled());
    return texts;
}

// Picks an entry of a closed drop-down list with the keyboard, as a user would.
void choose(QComboBox *list, const QString &text)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < list->count() && list->currentText() != text; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentText(), text);
}

void typeInto(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

VXLIN_Values stored()
{
    return VXLIN_Values{};
}

} // namespace

class TestPreferencesDialog : public QObject
{
    Q_OBJECT

private slots:
    void filledAndTakenBack_data();
    void filledAndTakenBack();
    void colourSelectionAndUseDefault();
    void customColourKeepsTheStoredOrder();
    void typedNumbersAreBroughtIntoRange_data();
    void typedNumbersAreBroughtIntoRange();
    void startModeEnablesPortAndBitRate();
    void okAndCancel();
    void looksRight();
};

void TestPreferencesDialog::filledAndTakenBack_data()
{
    QTest::addColumn<VXLIN_Values>("record");
    QTest::addColumn<QStringList>("expectedShown");
    QTest::addColumn<VXLIN_Values>("expectedBack");

    const QStringList defaultsShown{"cbbConnection=Connection dialog",
                                    "cmbBaud=38400 bit/s",
                                    "cbbLanguage=English",
                                    "clbConnect=Default",
                                    "clbDisconnect=Default",
                                    "clbWorking=Default",
                                    "ediPort=1",
                                    "ediTimeOut=5",
                                    "chbConnect=1",
                                    "chbDisconnect=1",
                                    "chbWorking=1",
                                    "chbStay=0",
                                    "portEnabled=0",
                                    "baudEnabled=0"};
    const auto with = [&](std::initializer_list<std::pair<int, QString>> changes) {
        QStringList texts = defaultsShown;
        for (const auto &[index, text] : changes)
            texts[index] = text;
        return texts;
    };

    QTest::newRow("defaults") << stored() << defaultsShown << stored();

    VXLIN_Values rate = stored();
    rate.Baudrate = 14400;
    VXLIN_Values rateBack = stored();
    QTest::newRow("14400 shows and saves 38400") << rate << defaultsShown << rateBack;

    VXLIN_Values port = stored();
    port.Port = 300;
    VXLIN_Values portBack = stored();
    portBack.Port = 255;
    QTest::newRow("port 300 shows 255") << port << with({{6, "ediPort=255"}}) << portBack;

    VXLIN_Values timeout = stored();
    timeout.Timeout = 300;
    QTest::newRow("timeout 300 longer than typing allows")
        << timeout << with({{7, "ediTimeOut=300"}}) << timeout;
    timeout.Timeout = 1000;
    VXLIN_Values timeoutBack = stored();
    timeoutBack.Timeout = 300;
    QTest::newRow("timeout 1000 shows 300")
        << timeout << with({{7, "ediTimeOut=300"}}) << timeoutBack;

    // The scan count is hidden but carried through as its low 8 bits.
    VXLIN_Values scans = stored();
    scans.ScanCount = 300;
    VXLIN_Values scansBack = stored();
    scansBack.ScanCount = 44;
    QTest::newRow("scan count 300 is 44") << scans << defaultsShown << scansBack;

    VXLIN_Values mode = stored();
    mode.StartMode = 3;
    mode.Port = 33;
    mode.Baudrate = 115200;
    QTest::newRow("default connection") << mode
                                        << with({{0, "cbbConnection=Default connection"},
                                                 {1, "cmbBaud=115200 bit/s"},
                                                 {6, "ediPort=33"},
                                                 {12, "portEnabled=1"},
                                                 {13, "baudEnabled=1"}})
                                        << mode;
    mode = stored();
    mode.StartMode = 1;
    QTest::newRow("disconnected") << mode << with({{0, "cbbConnection=Disconnected"}}) << mode;
    mode.StartMode = 0;
    VXLIN_Values modeBack = stored();
    modeBack.StartMode = 1;
    QTest::newRow("start mode 0 reads as disconnected")
        << mode << with({{0, "cbbConnection=Disconnected"}}) << modeBack;

    VXLIN_Values colours = stored();
    colours.ColorOn = 0x0000FF;      // red in the stored order
    colours.ColorOff = 0xFF0000;     // blue
    colours.ColorWorking = 0x123456; // none of the listed ones
    QTest::newRow("colours") << colours
                             << with({{3, "clbConnect=Red"},
                                      {4, "clbDisconnect=Blue"},
                                      {5, "clbWorking=Custom..."},
                                      {8, "chbConnect=0"},
                                      {9, "chbDisconnect=0"},
                                      {10, "chbWorking=0"}})
                             << colours;

    VXLIN_Values flags = stored();
    flags.GermanHelp = true;
    flags.TopMost = true;
    flags.FirmwareVerUpdate = QStringLiteral("02.00.07");
    flags.HardwareVerUpdate = QString();
    QTest::newRow("language, stay on top, version texts carried")
        << flags << with({{2, "cbbLanguage=German"}, {11, "chbStay=1"}}) << flags;
}

void TestPreferencesDialog::filledAndTakenBack()
{
    QFETCH(VXLIN_Values, record);
    QFETCH(QStringList, expectedShown);
    QFETCH(VXLIN_Values, expectedBack);

    TfPreferences dialog(nullptr);
    // A dialog used before shows the new record, not the old one.
    VXLIN_Values other = stored();
    other.StartMode = 3;
    other.ColorOn = 0x00FF00;
    dialog.setValues(other);
    dialog.setValues(record);

    QCOMPARE(shown(dialog), expectedShown);
    const VXLIN_Values back = dialog.values();
    QCOMPARE(back.StartMode, expectedBack.StartMode);
    QCOMPARE(back.Port, expectedBack.Port);
    QCOMPARE(back.Baudrate, expectedBack.Baudrate);
    QCOMPARE(back.Timeout, expectedBack.Timeout);
    QCOMPARE(back.ScanCount, expectedBack.ScanCount);
    QCOMPARE(back.ColorOn, expectedBack.ColorOn);
    QCOMPARE(back.ColorOff, expectedBack.ColorOff);
    QCOMPARE(back.ColorWorking, expectedBack.ColorWorking);
    QVERIFY(back == expectedBack);
}

void TestPreferencesDialog::colourSelectionAndUseDefault()
{
    TfPreferences dialog(nullptr);
    dialog.setValues(stored());
    dialog.show();
    auto *connect = child<QComboBox>(&dialog, "clbConnect");
    auto *useDefault = child<QCheckBox>(&dialog, "chbConnect");
    auto *working = child<QComboBox>(&dialog, "clbWorking");
    auto *workingDefault = child<QCheckBox>(&dialog, "chbWorking");

    choose(connect, QStringLiteral("Teal"));
    QVERIFY(!useDefault->isChecked());
    QCOMPARE(dialog.values().ColorOn, 0x808000u);

    // Unticking changes nothing; ticking selects the default again.
    QTest::mouseClick(useDefault, Qt::LeftButton);
    QVERIFY(useDefault->isChecked());
    QCOMPARE(connect->currentText(), QStringLiteral("Default"));
    QCOMPARE(dialog.values().ColorOn, kDefaultColorOn);
    QTest::mouseClick(useDefault, Qt::LeftButton);
    QVERIFY(!useDefault->isChecked());
    QCOMPARE(connect->currentText(), QStringLiteral("Default"));
    QCOMPARE(dialog.values().ColorOn, kDefaultColorOn);

    // Aqua is the working colour's default: picking it ticks the box.
    choose(working, QStringLiteral("Black"));
    QVERIFY(!workingDefault->isChecked());
    QCOMPARE(dialog.values().ColorWorking, 0u);
    choose(working, QStringLiteral("Aqua"));
    QVERIFY(workingDefault->isChecked());
    QCOMPARE(dialog.values().ColorWorking, 16776960u);
}

void TestPreferencesDialog::customColourKeepsTheStoredOrder()
{
    TfPreferences dialog(nullptr);
    dialog.setValues(stored());
    dialog.show();
    auto *off = child<QComboBox>(&dialog, "clbDisconnect");

    auto watch = ModalAnswer::of<QColorDialog>([](QColorDialog *picker) {
        picker->setCurrentColor(QColor(0x12, 0x34, 0x56));
        picker->accept();
    });
    choose(off, QStringLiteral("Custom..."));
    QVERIFY(watch->answered());
    QCOMPARE(dialog.values().ColorOff, 0x563412u);
    QVERIFY(!child<QCheckBox>(&dialog, "chbDisconnect")->isChecked());

    // Cancelling the picker keeps the colour chosen before.
    choose(off, QStringLiteral("Olive"));
    auto cancel = ModalAnswer::of<QColorDialog>([](QColorDialog *picker) { picker->reject(); });
    off->setFocus();
    QTest::keyClick(off, Qt::Key_End);
    QVERIFY(cancel->answered());
    QCOMPARE(off->currentText(), QStringLiteral("Olive"));
    QCOMPARE(dialog.values().ColorOff, 0x008080u);
}

void TestPreferencesDialog::typedNumbersAreBroughtIntoRange_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("whileTyping");
    QTest::addColumn<QString>("afterLeaving");

    QTest::newRow("port 300") << "ediPort"
                              << "300"
                              << "300"
                              << "255";
    QTest::newRow("port 0") << "ediPort"
                            << "0"
                            << "0"
                            << "1";
    QTest::newRow("port four digits") << "ediPort"
                                      << "1234"
                                      << "123"
                                      << "123";
    QTest::newRow("port letters") << "ediPort"
                                  << "7a"
                                  << "7"
                                  << "7";
    QTest::newRow("port empty keeps the value") << "ediPort"
                                                << ""
                                                << ""
                                                << "12";
    QTest::newRow("timeout two digits at most") << "ediTimeOut"
                                                << "300"
                                                << "30"
                                                << "30";
    QTest::newRow("timeout 0") << "ediTimeOut"
                               << "0"
                               << "0"
                               << "1";
}

void TestPreferencesDialog::typedNumbersAreBroughtIntoRange()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, whileTyping);
    QFETCH(QString, afterLeaving);

    TfPreferences dialog(nullptr);
    VXLIN_Values values = stored();
    values.StartMode = 3;
    values.Port = 12;
    values.Timeout = 12;
    dialog.setValues(values);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(field);
    QVERIFY(edit);

    typeInto(edit, typed);
    QCOMPARE(edit->text(), whileTyping);
    child<QComboBox>(&dialog, "cbbLanguage")->setFocus();
    QTRY_VERIFY(!edit->hasFocus());
    QCOMPARE(edit->text(), afterLeaving);
    const VXLIN_Values back = dialog.values();
    QCOMPARE(QString::number(field == QLatin1String("ediPort") ? back.Port : back.Timeout),
             afterLeaving);
}

void TestPreferencesDialog::startModeEnablesPortAndBitRate()
{
    TfPreferences dialog(nullptr);
    dialog.setValues(stored());
    dialog.show();
    auto *mode = child<QComboBox>(&dialog, "cbbConnection");
    auto *port = child<QLineEdit>(&dialog, "ediPort");
    auto *baud = child<QComboBox>(&dialog, "cmbBaud");
    const auto up = child<QWidget>(&dialog, "udPort")->findChildren<QToolButton *>();
    QCOMPARE(up.size(), 2);

    QVERIFY(!port->isEnabled() && !baud->isEnabled() && !up.first()->isEnabled());
    choose(mode, QStringLiteral("Default connection"));
    QVERIFY(port->isEnabled() && baud->isEnabled() && up.first()->isEnabled());
    QCOMPARE(dialog.values().StartMode, std::uint8_t(3));
    choose(mode, QStringLiteral("Disconnected"));
    QVERIFY(!port->isEnabled() && !baud->isEnabled());
    QCOMPARE(dialog.values().StartMode, std::uint8_t(1));

    // The scan count is not offered.
    QVERIFY(dialog.findChild<QLineEdit *>(QStringLiteral("ediScans"))->isHidden()
            || !dialog.findChild<QLineEdit *>(QStringLiteral("ediScans"))->isVisible());
    QVERIFY(!child<QLabel>(&dialog, "laScans")->isVisible());
}

void TestPreferencesDialog::okAndCancel()
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    for (const bool confirm : {true, false}) {
        TfPreferences dialog(&owner);
        dialog.setValues(stored());
        auto watch = ModalAnswer::of<TfPreferences>([confirm](TfPreferences *shownDialog) {
            choose(shownDialog->findChild<QComboBox *>(QStringLiteral("cbbLanguage")),
                   QStringLiteral("German"));
            if (confirm) {
                QTest::mouseClick(shownDialog->findChild<QPushButton *>(QStringLiteral("btbOK")),
                                  Qt::LeftButton);
            } else {
                QTest::keyClick(shownDialog, Qt::Key_Escape);
            }
        });
        const int result = dialog.exec();
        QVERIFY(watch->answered());
        QCOMPARE(result, confirm ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
    TfPreferences dialog(&owner);
    auto *ok = child<QPushButton>(&dialog, "btbOK");
    auto *cancel = child<QPushButton>(&dialog, "btbCancel");
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->toolTip(), QStringLiteral("Applies the changes and close this window "));
    QCOMPARE(cancel->toolTip(), QStringLiteral("Discards changes and/or close this window "));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences"));

    QSignalSpy help(&dialog, &TfPreferences::helpRequested);
    QTest::keyClick(&dialog, Qt::Key_F1);
    QCOMPARE(help.size(), 1);
    QCOMPARE(help.first().first().toInt(), 210);
}

void TestPreferencesDialog::looksRight()
{
    TfPreferences dialog(nullptr);
    VXLIN_Values values = stored();
    values.StartMode = 3;
    values.ColorOn = 0x0000FF;
    dialog.setValues(values);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Fixed size: the layout decides it and the user cannot change it.
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->isVisible())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
    }
    for (QCheckBox *box : dialog.findChildren<QCheckBox *>())
        QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));
    QVERIFY(!vxl::test::saveScreenshot(&dialog, QStringLiteral("preferences_dialog")).isEmpty());
}

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferences_dialog.moc"
