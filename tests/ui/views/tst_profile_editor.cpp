// The profile editor of the "Profiles Management" view on an offscreen display: the tree, the
// editing panel driven by control names, the dialogs it opens, and a profile edited here and
// sent to the emulated module.

#include "core/editing/profile_fields.h"
#include "core/operations/profile_files.h"
#include "core/operations/profile_send.h"
#include "core/profiles/profile_document.h"
#include "modal_answer.h"
#include "support/ops_fixture.h"
#include "support/test_support.h"
#include "test_support.h"
#include "ui/dialogs/can_filter_dialog.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"
#include "ui/dialogs/slave_id_dialog.h"
#include "ui/views/profile_editor.h"
#include "ui/views/profiles_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace vxl;
using vxl::test::child;
using vxl::test::ModalAnswer;
using vxl::test::OpsRig;

namespace {

const QStringList kValueControls = {
    "cmbActivationCAN", "cmbBitrateCAN",    "ediUserCAN",          "cbCanMask",
    "chbErrorMask",     "laMaskCodeCAN",    "ediOffset",           "ediCANErrorID",
    "rdbC11",           "rdbC29",           "cmbActivationLIN",    "cmbBitrateLIN",
    "ediUserLIN",       "cbLinMask",        "chbLinErrorMask",     "chbLinCANErrorMask",
    "ediLINFilterMask", "ediLINFilterCode", "cmbMasterStatus",     "cmbLinSlaveTermination",
    "laEntriesCaption", "laFrames",         "ediCANIDSActivation", "chbCANIDActivation",
    "rdbL11",           "rdbL29",
};

ModuleConfig unusualProfile()
{
    ModuleConfig p = ModuleConfig::NewProfile();
    p.RS232.Baudrate = 14400;
    p.CAN.Active = 0;
    p.CAN.Baudrate = 0x1234;
    p.CAN.ForwardMask = 0x86;
    p.CAN.FilterMask = 0x12345678;
    p.CAN.FilterCode = 0x9ABCDEF0;
    p.CAN.IdOffset = 0x80000123;
    p.CAN.ErrorId = 0x7AB;
    p.LIN.Baudrate = 10400;
    p.LIN.ForwardMask = 0xC5;
    p.LIN.FilterMask = 0x3C;
    p.LIN.MasterStatus = 1;
    p.LIN.SchedulerCount = 2;
    p.LIN.SchedulerEntries[0] = {100, 1};
    p.LIN.SchedulerEntries[1] = {200, 2};
    p.LIN.SlaveIdData = LIN_FrameEntry{1, 0x10, 2, {0xA1, 0xA2, 3, 4, 5, 6, 7, 8}};
    p.LIN.SlaveActivationId = 0xC0000456;
    return p;
}

// A profile file on disk, opened as the file commands open it (not modified).
struct ProfileFile
{
    explicit ProfileFile(const ModuleConfig &profile)
    {
        const QString path = dir.filePath("edited.vxlin");
        clsVLINXMLProfile writer;
        if (!writer.LoadDefault()
            || !writer.WriteAll(profile.RS232.Baudrate, profile.CAN, profile.LIN)
            || !writer.SaveAs(path) || !document.OpenFile(path))
            qFatal("profile file not written");
    }
    [[nodiscard]] ModuleConfig read() const
    {
        ModuleConfig config = ModuleConfig::NewProfile();
        if (!document.ReadAll(&config.RS232.Baudrate, &config.CAN, &config.LIN))
            qFatal("profile not readable");
        return config;
    }
    QTemporaryDir dir;
    clsVLINXMLProfile document;
};

void select(ProfileEditor &editor, int node)
{
    for (QTreeWidgetItemIterator it(editor.tree()); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == node) {
            editor.tree()->setCurrentItem(*it);
            return;
        }
    }
    qFatal("node %d not in the tree", node);
}

QString caption(ProfileEditor &editor, int node)
{
    for (QTreeWidgetItemIterator it(editor.tree()); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == node)
            return (*it)->text(0);
    }
    return {};
}

// What a control shows, by name: a selector's entry, a field's text, a box's tick.
QString shown(QWidget *parent, const QString &name)
{
    QWidget *control = parent->findChild<QWidget *>(name);
    if (auto *box = qobject_cast<QComboBox *>(control))
        return box->currentText();
    if (auto *field = qobject_cast<QLineEdit *>(control))
        return field->text();
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        return button->isChecked() ? "ticked" : "clear";
    if (auto *label = qobject_cast<QLabel *>(control))
        return label->text();
    return "missing";
}

void click(QWidget *parent, const char *name)
{
    QTest::mouseClick(child<QWidget>(parent, name), Qt::LeftButton);
}

void retype(QWidget *parent, const char *name, const QString &text)
{
    auto *field = child<QLineEdit>(parent, name);
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

void choose(QWidget *parent, const char *name, const QString &entry)
{
    auto *box = child<QComboBox>(parent, name);
    const int index = box->findText(entry);
    if (index < 0)
        qFatal("no entry %s", qPrintable(entry));
    box->setCurrentIndex(index);
}

struct ShownEditor
{
    explicit ShownEditor(const ModuleConfig &profile = unusualProfile())
        : file(profile)
    {
        editor.resize(1000, 560);
        editor.show();
        editor.activateWindow();
        if (!QTest::qWaitForWindowActive(&editor))
            qFatal("editor not shown");
        if (!editor.showProfile(file.document))
            qFatal("profile not shown");
    }
    ProfileFile file;
    ProfileEditor editor;
};

} // namespace

class TestProfileEditorView : public QObject
{
    Q_OBJECT

private slots:
    void selectingANodeShowsItsControls_data();
    void selectingANodeShowsItsControls();
    void setAndDefaultWriteTheDocument();
    void userLinRateLimits();
    void idFieldsFollowTheRadioButtons();
    void schedulerEntriesThroughTheTree();
    void frameTableThroughTheTree();
    void slaveIdThroughTheTree();
    void filterThroughTheTree();
    void everySetMarksModified_data();
    void everySetMarksModified();
    void resetAndShow();
    void editedProfileArrivesInTheModule();
};

void TestProfileEditorView::selectingANodeShowsItsControls_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("CAN heading") << 2 << "" << QStringList{};
    QTest::newRow("RS-232 rate") << 1 << "panRS232" << QStringList{"cmbPortModBaud=115200"};
    QTest::newRow("CAN activation")
        << 3 << "panCAN" << QStringList{"laCanAction=Activation:", "cmbActivationCAN=Disable"};
    QTest::newRow("CAN rate") << 4 << "panCAN"
                              << QStringList{"cmbBitrateCAN=User", "ediUserCAN=1234"};
    QTest::newRow("CAN forward") << 5 << "panCAN"
                                 << QStringList{"cbCanMask=LIN & RS-232 ", "chbErrorMask=ticked"};
    QTest::newRow("CAN filter mask")
        << 6 << "panCAN" << QStringList{"laCanAction=SJA1000 Filter:", "laMaskCodeCAN"};
    QTest::newRow("CAN offset") << 8 << "panCAN"
                                << QStringList{"ediOffset=00000123", "rdbC29=ticked", "rdbC11"};
    QTest::newRow("CAN error ID") << 9 << "panCAN"
                                  << QStringList{"ediCANErrorID=7AB", "rdbC11=ticked", "rdbC29"};
    QTest::newRow("LIN rate") << 12 << "panLIN"
                              << QStringList{"cmbBitrateLIN=1000...20000", "ediUserLIN=10400"};
    QTest::newRow("LIN forward") << 13 << "panLIN"
                                 << QStringList{"cbLinMask=CAN & RS-232",
                                                "chbLinErrorMask=ticked",
                                                "chbLinCANErrorMask=ticked"};
    QTest::newRow("LIN filter mask") << 14 << "panLIN" << QStringList{"ediLINFilterMask=3C"};
    QTest::newRow("LIN filter code") << 15 << "panLIN" << QStringList{"ediLINFilterCode=00"};
    QTest::newRow("master") << 16 << "panLIN" << QStringList{"cmbMasterStatus=Active"};
    QTest::newRow("termination") << 17 << "panLIN" << QStringList{"cmbLinSlaveTermination=Slave"};
    QTest::newRow("scheduler") << 18 << "panLIN" << QStringList{"laEntriesCaption"};
    QTest::newRow("slave") << 19 << "panLIN"
                           << QStringList{"laLinAction=Slave ID + Data Configuration", "laFrames"};
    QTest::newRow("frames") << 20 << "panLIN"
                            << QStringList{"laLinAction=Frame Configuration:", "laFrames"};
    QTest::newRow("slave activation") << 21 << "panLIN"
                                      << QStringList{"ediCANIDSActivation=00000456",
                                                     "chbCANIDActivation=ticked",
                                                     "rdbL29=ticked",
                                                     "rdbL11"};
}

void TestProfileEditorView::selectingANodeShowsItsControls()
{
    QFETCH(int, node);
    QFETCH(QString, panel);
    QFETCH(QStringList, values);
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 21); // a node of another kind first: the panel must change, not stay
    select(editor, node);
    auto *edit = child<QWidget>(&editor, "panEditProfile");
    QCOMPARE(edit->isVisible(), !panel.isEmpty());
    if (panel.isEmpty()) {
        QCOMPARE(int(editor.model().SelectedGroup()), -1);
        return;
    }
    for (const char *sub : {"panRS232", "panCAN", "panLIN"})
        QCOMPARE(child<QWidget>(&editor, sub)->isVisible(), panel == QLatin1String(sub));
    QStringList visible;
    for (const QString &entry : values) {
        const QString name = entry.section('=', 0, 0);
        if (!name.startsWith("la"))
            visible << name;
        if (name.startsWith("la") && !name.endsWith("Action"))
            visible << name;
        if (entry.contains('='))
            QCOMPARE(shown(&editor, name), entry.section('=', 1));
    }
    for (const QString &name : kValueControls)
        QCOMPARE(editor.findChild<QWidget *>(name)->isVisible(), visible.contains(name));
    QCOMPARE(child<QWidget>(&editor, "ediUserCAN")->isEnabled(),
             shown(&editor, "cmbBitrateCAN") == "User");
    QCOMPARE(child<QWidget>(&editor, "ediUserLIN")->isEnabled(),
             shown(&editor, "cmbBitrateLIN") == "1000...20000");
    if (QList<int>{1, 5, 8, 13, 21}.contains(node))
        vxl::test::saveScreenshot(&editor, QStringLiteral("profile_editor_node_%1").arg(node));
}

void TestProfileEditorView::setAndDefaultWriteTheDocument()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    clsVLINXMLProfile &document = shownEditor.file.document;
    ModuleConfig expected = shownEditor.file.read();
    QSignalSpy modified(&editor, &ProfileEditor::profileModified);
    QSignalSpy commands(&editor, &ProfileEditor::commandStatesRequested);
    QVERIFY(!document.IsModified());

    select(editor, 4);
    choose(&editor, "cmbBitrateCAN", "250 kb (011C)");
    QVERIFY(!child<QWidget>(&editor, "ediUserCAN")->isEnabled());
    click(&editor, "btnSetValue");
    QVERIFY(document.IsModified());
    QCOMPARE(modified.count(), 1);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(shownEditor.file.read().CAN.Baudrate, std::uint16_t(0x011C));
    QCOMPARE(caption(editor, 4), QStringLiteral("Bit rate : 0x011C"));

    select(editor, 17);
    click(&editor, "btnSetStandarValue");
    QCOMPARE(shownEditor.file.read().LIN.BusTermination, std::uint16_t(1));
    QCOMPARE(caption(editor, 17), QStringLiteral("LIN Bus Termination : Master"));
    // The controls keep what the user chose; the tree shows what was stored.
    QCOMPARE(shown(&editor, "cmbLinSlaveTermination"), QStringLiteral("Slave"));

    select(editor, 13);
    choose(&editor, "cbLinMask", "RS-232");
    click(&editor, "chbLinErrorMask");
    click(&editor, "btnSetValue");
    QCOMPARE(shownEditor.file.read().LIN.ForwardMask, std::uint8_t(0x44));
    QCOMPARE(modified.count(), 3);
    // Everything else of the profile is as loaded.
    expected.CAN.Baudrate = 0x011C;
    expected.LIN.BusTermination = 1;
    expected.LIN.ForwardMask = 0x44;
    QCOMPARE(shownEditor.file.read(), expected);
}

void TestProfileEditorView::userLinRateLimits()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 12);
    retype(&editor, "ediUserLIN", "25000");
    child<QWidget>(&editor, "cmbBitrateLIN")->setFocus();
    QCOMPARE(shown(&editor, "ediUserLIN"), QStringLiteral("20000"));
    retype(&editor, "ediUserLIN", "5a00");
    QCOMPARE(shown(&editor, "ediUserLIN"), QStringLiteral("500"));
    child<QWidget>(&editor, "cmbBitrateLIN")->setFocus();
    QCOMPARE(shown(&editor, "ediUserLIN"), QStringLiteral("1000"));
    retype(&editor, "ediUserLIN", "");
    click(&editor, "btnSetValue");
    QCOMPARE(shown(&editor, "ediUserLIN"), QStringLiteral("19200"));
    QCOMPARE(shownEditor.file.read().LIN.Baudrate, std::uint16_t(19200));
}

void TestProfileEditorView::idFieldsFollowTheRadioButtons()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 9);
    select(editor, 8);
    click(&editor, "rdbC11");
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("123"));
    click(&editor, "btnSetValue");
    QCOMPARE(shownEditor.file.read().CAN.IdOffset, 0x123u);
    retype(&editor, "ediOffset", "fff");
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("FFF"));
    retype(&editor, "ediOffset", "fffg");
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("FFF"));
    child<QWidget>(&editor, "rdbC29")->setFocus();
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("7FF"));
    click(&editor, "rdbC29");
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("000007FF"));
    QCOMPARE(shown(&editor, "ediCANErrorID"), QStringLiteral("000007AB"));
    retype(&editor, "ediOffset", "FFFFFFFF");
    click(&editor, "btnSetValue");
    QCOMPARE(shown(&editor, "ediOffset"), QStringLiteral("1FFFFFFF"));
    QCOMPARE(shownEditor.file.read().CAN.IdOffset, 0x9FFFFFFFu);
    QCOMPARE(caption(editor, 8), QStringLiteral("CAN ID Offset : 0x1FFFFFFF (29 bits)"));
}

void TestProfileEditorView::schedulerEntriesThroughTheTree()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 18);
    const std::vector<LIN_SchedulerEntry> edited = {{50, 7}, {10, 3}, {20, 60}};
    std::vector<LIN_SchedulerEntry> given;
    bool editable = false;
    auto answer = ModalAnswer::of<TfEntries>([&](TfEntries *dialog) {
        given = dialog->entries();
        editable = dialog->findChild<QPushButton *>("btbOK")->isEnabled();
        dialog->setEntries(edited);
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(answer->answered());
    QVERIFY(editable);
    QCOMPARE(given, (std::vector<LIN_SchedulerEntry>{{100, 1}, {200, 2}}));
    const LIN_Group lin = shownEditor.file.read().LIN;
    QCOMPARE(lin.SchedulerCount, std::uint16_t(3));
    for (std::size_t i = 0; i < edited.size(); ++i)
        QCOMPARE(lin.SchedulerEntries[i], edited[i]);
    QCOMPARE(caption(editor, 18), QStringLiteral("Scheduler Entries : 3 "));
}

void TestProfileEditorView::frameTableThroughTheTree()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 20);
    LIN_Group edited;
    auto answer = ModalAnswer::of<TfFramesConfig>([&](TfFramesConfig *dialog) {
        edited = dialog->linGroup();
        SetNibble(edited.FrameLengths, 16, 4);
        edited.Frames[16] = LIN_FrameEntry{1,
                                           16,
                                           4,
                                           {0x11, 0x22, 0x33, 0x44, 0xFF, 0xFF, 0xFF, 0xFF}};
        edited.Frames[40].Active = 1;
        SetBit(edited.FrameFormats, 40, true);
        dialog->setLinGroup(edited);
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(answer->answered());
    const LIN_Group lin = shownEditor.file.read().LIN;
    QCOMPARE(lin.Frames, edited.Frames);
    QCOMPARE(lin.FrameLengths, edited.FrameLengths);
    QCOMPARE(lin.FrameFormats, edited.FrameFormats);
    QCOMPARE(lin.SlaveIdData, edited.Frames[16]);
    QCOMPARE(caption(editor, 19),
             QStringLiteral("Slave ID + Data Configuration :  Enabled: 10 - 11 22 33 44"));
}

void TestProfileEditorView::slaveIdThroughTheTree()
{
    ModuleConfig profile = unusualProfile();
    SetNibble(profile.LIN.FrameLengths, 5, 15);
    ShownEditor shownEditor(profile);
    ProfileEditor &editor = shownEditor.editor;
    clsVLINXMLProfile &document = shownEditor.file.document;
    select(editor, 19);
    // Cancelled: the slave entry still goes into the frame table.
    auto cancel = ModalAnswer::of<TfSlaveIDConfig>([](TfSlaveIDConfig *dialog) {
        QCOMPARE(child<QLineEdit>(dialog, "ediID")->text(), QStringLiteral("10"));
        click(dialog, "btbCancel");
    });
    click(&editor, "btnSetValue");
    QVERIFY(cancel->answered());
    const LIN_Group cancelled = shownEditor.file.read().LIN;
    QCOMPARE(cancelled.Frames[16], cancelled.SlaveIdData);
    QCOMPARE(cancelled.SlaveIdData.Active, profile.LIN.SlaveIdData.Active);
    QCOMPARE(cancelled.SlaveIdData.Data[1], profile.LIN.SlaveIdData.Data[1]);
    QVERIFY(profile.LIN.Frames[16] != profile.LIN.SlaveIdData);
    QVERIFY(document.IsModified());

    auto answer = ModalAnswer::of<TfSlaveIDConfig>([](TfSlaveIDConfig *dialog) {
        child<QLineEdit>(dialog, "ediID")->setText("05");
        for (int i = 0; i < kFrameDataBytes; ++i)
            child<QLineEdit>(dialog, qPrintable(QStringLiteral("ediP0%1").arg(i)))
                ->setText(HexText(std::uint32_t(0xB0 + i), 2));
        click(dialog, "rdbDisabled");
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(answer->answered());
    const LIN_Group lin = shownEditor.file.read().LIN;
    QCOMPARE(int(lin.SlaveIdData.ID), 5);
    QCOMPARE(int(lin.SlaveIdData.Active), 0);
    QCOMPARE(int(lin.SlaveIdData.Length), 8); // the frame's bytes, not the entry's 15
    QCOMPARE(int(lin.SlaveIdData.Data[7]), 0xB7);
    QCOMPARE(lin.Frames[5], lin.SlaveIdData);
    QCOMPARE(caption(editor, 19),
             QStringLiteral(
                 "Slave ID + Data Configuration :  Disabled: 05 - B0 B1 B2 B3 B4 B5 B6 B7"));
}

void TestProfileEditorView::filterThroughTheTree()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    select(editor, 7);
    std::uint32_t givenCode = 0;
    auto cancel = ModalAnswer::of<TfCanFilterConfig>([&](TfCanFilterConfig *dialog) {
        givenCode = dialog->acceptanceCode();
        click(dialog, "btbCancel");
    });
    click(&editor, "btnSetValue");
    QVERIFY(cancel->answered());
    QCOMPARE(givenCode, 0x9ABCDEF0u);
    // A cancelled dialog changes no value, yet "Set" marks the document modified.
    QVERIFY(shownEditor.file.document.IsModified());
    QCOMPARE(shownEditor.file.read().CAN.FilterCode, 0x9ABCDEF0u);

    auto answer = ModalAnswer::of<TfCanFilterConfig>([](TfCanFilterConfig *dialog) {
        click(dialog, "spb11Bits");
        retype(dialog, "cxtFrom11ID", "100");
        retype(dialog, "cxtTo11ID", "1FF");
        click(dialog, "btbApply11");
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(answer->answered());
    const CAN_Group can = shownEditor.file.read().CAN;
    QCOMPARE(can.FilterCode, 0x00000020u);
    QCOMPARE(can.FilterMask, 0xFFFFEF1Fu);
    QCOMPARE(caption(editor, 6), QStringLiteral("Filter Mask : 0xFFFFEF1F"));
    click(&editor, "btnSetStandarValue");
    QCOMPARE(shownEditor.file.read().CAN.FilterMask, 0xFFFFFFFFu);
    QCOMPARE(shownEditor.file.read().CAN.FilterCode, 0u);
}

void TestProfileEditorView::everySetMarksModified_data()
{
    QTest::addColumn<int>("node");
    QTest::addColumn<QString>("cancelled"); // the dialog "Set" opens and that is cancelled
    QTest::addColumn<bool>("marks");
    QTest::newRow("unchanged value") << 3 << QString() << true;
    QTest::newRow("filter mask, cancelled") << 6 << "TfCanFilterConfig" << true;
    QTest::newRow("filter code, cancelled") << 7 << "TfCanFilterConfig" << true;
    QTest::newRow("scheduler, cancelled") << 18 << "TfEntries" << true;
    QTest::newRow("frames, cancelled") << 20 << "TfFramesConfig" << true;
    QTest::newRow("a group heading") << 10 << QString() << false;
}

void TestProfileEditorView::everySetMarksModified()
{
    QFETCH(int, node);
    QFETCH(QString, cancelled);
    QFETCH(bool, marks);
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    const ModuleConfig before = shownEditor.file.read();
    QSignalSpy modified(&editor, &ProfileEditor::profileModified);
    QSignalSpy commands(&editor, &ProfileEditor::commandStatesRequested);
    select(editor, node);
    std::unique_ptr<ModalAnswer> answer;
    const auto cancel = [](QDialog *dialog) { click(dialog, "btbCancel"); };
    if (cancelled == "TfCanFilterConfig")
        answer = ModalAnswer::of<TfCanFilterConfig>(cancel);
    else if (cancelled == "TfEntries")
        answer = ModalAnswer::of<TfEntries>(cancel);
    else if (cancelled == "TfFramesConfig")
        answer = ModalAnswer::of<TfFramesConfig>(cancel);
    click(&editor, "btnSetValue");
    if (answer)
        QVERIFY(answer->answered());
    QCOMPARE(shownEditor.file.document.IsModified(), marks);
    QCOMPARE(modified.count(), marks ? 1 : 0);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(shownEditor.file.read(), before);
}

void TestProfileEditorView::resetAndShow()
{
    ShownEditor shownEditor;
    ProfileEditor &editor = shownEditor.editor;
    auto *editing = child<QWidget>(&editor, "panEditing");
    QVERIFY(editing->isVisible());
    QCOMPARE(child<QLabel>(&editor, "labEditing")->x(), 10);
    QCOMPARE(child<QLabel>(&editor, "labEditing")->text(), QStringLiteral("Editing:"));
    select(editor, 5);
    editor.reset();
    QVERIFY(!editing->isVisible());
    QCOMPARE(caption(editor, 3), QStringLiteral("Active "));
    QCOMPARE(caption(editor, 8), QStringLiteral("CAN ID Offset for LIN Messages"));
    // A fresh editor starts with the captions of a tree never filled.
    ProfileEditor fresh;
    QCOMPARE(caption(fresh, 4), QStringLiteral("Bitrate"));
    QVERIFY(editor.showProfile(shownEditor.file.document));
    QVERIFY(editing->isVisible());
    QCOMPARE(caption(editor, 5),
             QStringLiteral("Forward Mask :  LIN / RS-232 / Errors Via RS-232 "));
    // The selected node's panel shows the loaded values again.
    QVERIFY(child<QWidget>(&editor, "cbCanMask")->isVisible());
    QCOMPARE(shown(&editor, "cbCanMask"), QStringLiteral("LIN & RS-232 "));
}

void TestProfileEditorView::editedProfileArrivesInTheModule()
{
    sim::EmulatorOptions options;
    options.identity = {QStringLiteral("SVXL-LIN-G 1.0"), QStringLiteral("01.02.15")};
    OpsRig rig(options);
    QVERIFY(rig.connect());
    QVERIFY(rig.waitIdle());
    ModuleConfig start = ModuleConfig::NewProfile();
    start.RS232.Baudrate = 38400; // the line's rate stays as it is
    ProfileFile file(start);
    ProfileFiles files(rig.op(), file.document);
    ProfilesView view(rig.ops(), files);
    view.resize(1100, 640);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ProfileEditor &editor = *view.editor();
    QVERIFY(editor.showProfile(file.document));
    files.ShowProfileFile(false);

    const auto set = [&](int node, const std::function<void()> &edit) {
        select(editor, node);
        edit();
        click(&editor, "btnSetValue");
    };
    set(3, [&] { choose(&editor, "cmbActivationCAN", "Disable"); });
    set(4, [&] { choose(&editor, "cmbBitrateCAN", "125 kb (031C)"); });
    set(5, [&] { choose(&editor, "cbCanMask", "LIN"); });
    set(8, [&] {
        click(&editor, "rdbC29");
        retype(&editor, "ediOffset", "1ABCDE");
    });
    set(9, [&] {
        click(&editor, "rdbC11");
        retype(&editor, "ediCANErrorID", "321");
    });
    set(12, [&] {
        choose(&editor, "cmbBitrateLIN", "1000...20000");
        retype(&editor, "ediUserLIN", "10400");
    });
    set(13, [&] { choose(&editor, "cbLinMask", "CAN & RS-232"); });
    set(14, [&] { retype(&editor, "ediLINFilterMask", "3c"); });
    set(15, [&] { retype(&editor, "ediLINFilterCode", "5"); });
    set(21, [&] {
        click(&editor, "rdbL29");
        retype(&editor, "ediCANIDSActivation", "12345");
        click(&editor, "chbCANIDActivation");
    });
    select(editor, 17);
    click(&editor, "btnSetStandarValue");
    select(editor, 18);
    auto entries = ModalAnswer::of<TfEntries>([](TfEntries *dialog) {
        dialog->setEntries({{30, 16}, {40, 5}, {25, 63}});
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(entries->answered());
    select(editor, 19);
    auto slave = ModalAnswer::of<TfSlaveIDConfig>([](TfSlaveIDConfig *dialog) {
        child<QLineEdit>(dialog, "ediID")->setText("10");
        child<QLineEdit>(dialog, "ediP00")->setText("C1");
        child<QLineEdit>(dialog, "ediP01")->setText("C2");
        click(dialog, "rdbEnabled");
        click(dialog, "btbOK");
    });
    click(&editor, "btnSetValue");
    QVERIFY(slave->answered());
    for (const int node : {1, 8, 13, 21}) {
        select(editor, node);
        vxl::test::saveScreenshot(&view, QStringLiteral("profiles_view_node_%1").arg(node));
    }

    ModuleConfig edited = file.read();
    QCOMPARE(edited.CAN.IdOffset, 0x801ABCDEu);
    QCOMPARE(edited.LIN.SlaveActivationId, 0xC0012345u);
    QVERIFY(file.document.IsModified());
    rig.op().profile = edited; // what the main window hands the send: the document's values
    rig.op().view = View::Profiles;
    rig.op().answers = {BoxResult::Yes, BoxResult::No}; // flash save yes, reset no
    rig.ops().UpdateCommandStates();
    auto *send = child<QPushButton>(&view, "btbSendProfile");
    QVERIFY(send->isEnabled());
    click(&view, "btbSendProfile");
    QVERIFY(rig.waitIdle(20000));
    QCOMPARE(rig.op().boxTexts(),
             (QStringList{"The Profile was successfully sent to the module. ",
                          "The current module configuration will be copied in its flash memory. "
                          " Proceed?",
                          "The profile was saved in the flash memory of the module. A module's "
                          "reset must be issued in order to use the new configuration. Do you "
                          "want to this now?"}));

    ModuleConfig expected = edited;
    PrepareProfileForSend(expected, rig.ops().ModuleCopy());
    const ModuleConfig module = rig.host().config();
    QCOMPARE(module.RS232.Baudrate, expected.RS232.Baudrate);
    const auto canValues = [](const CAN_Group &c) {
        return std::tuple(c.Active,
                          c.Baudrate,
                          c.ForwardMask,
                          c.FilterMask,
                          c.FilterCode,
                          c.IdOffset,
                          c.ErrorId);
    };
    QVERIFY(canValues(module.CAN) == canValues(expected.CAN));
    const LIN_Group &got = module.LIN;
    const LIN_Group &want = expected.LIN;
    const auto linValues = [](const LIN_Group &l) {
        return std::tuple(l.Active,
                          l.Baudrate,
                          l.ForwardMask,
                          l.FilterMask,
                          l.FilterCode,
                          l.MasterStatus,
                          l.BusTermination,
                          l.MessageTimeouts,
                          l.Retries,
                          l.BitRecognitionStatus,
                          l.FrameLengths,
                          l.FrameFormats,
                          l.SlaveActivationId,
                          l.SchedulerCount);
    };
    QVERIFY(linValues(got) == linValues(want));
    QCOMPARE(got.Retries, std::uint16_t(0));
    QCOMPARE(got.BitRecognitionStatus, std::uint8_t(1));
    // This firmware keeps the slave entry per identifier, in its frame table.
    const LIN_FrameEntry &slaveFrame = got.Frames[want.SlaveIdData.ID];
    QCOMPARE(slaveFrame.Active, want.SlaveIdData.Active);
    // A frame's byte count indexes its data: one beyond the data bytes must fail here, by name,
    // before anything reads past them.
    for (int i = 0; i < kFrameCount; ++i)
        QVERIFY2(FrameByteCount(want, i) <= kFrameDataBytes,
                 qPrintable(QStringLiteral("frame %1 counts %2 data bytes, more than its %3")
                                .arg(i)
                                .arg(FrameByteCount(want, i))
                                .arg(kFrameDataBytes)));
    for (int j = 0; j < FrameByteCount(want, want.SlaveIdData.ID); ++j)
        QCOMPARE(slaveFrame.Data[std::size_t(j)], want.SlaveIdData.Data[std::size_t(j)]);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(got.SchedulerEntries[std::size_t(i)], want.SchedulerEntries[std::size_t(i)]);
    for (int i = 0; i < kFrameCount; ++i) {
        const auto n = std::size_t(i);
        QCOMPARE(got.Frames[n].Active, want.Frames[n].Active);
        for (int j = 0; j < FrameByteCount(want, i); ++j)
            QCOMPARE(got.Frames[n].Data[std::size_t(j)], want.Frames[n].Data[std::size_t(j)]);
    }
    QCOMPARE(got.Frames[16].Data[0], std::uint8_t(0xC1));
    QVERIFY(rig.ops().IsConnected());
}

QTEST_MAIN(TestProfileEditorView)
#include "tst_profile_editor.moc"
