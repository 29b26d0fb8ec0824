// The profile's file on the "Profiles Management" page of the main window, offscreen: the
// buttons, the path and date labels, the File menu's Save and Save As, the file dialogs and the
// converter dialog from the Tools menu.

#include "core/operations/operations.h"
#include "core/operations/profile_files.h"
#include "modal_answer.h"
#include "test_support.h"
#include "ui/dialogs/message_box.h"
#include "ui/dialogs/profile_converter_dialog.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace vxl;
using namespace vxl::test;

namespace {

QWidget *page(TfMain &w)
{
    return child<QWidget>(&w, "tbsFiles");
}

QPushButton *button(TfMain &w, const char *name)
{
    return child<QPushButton>(page(w), name);
}

QString label(TfMain &w, const char *name)
{
    return child<QLabel>(page(w), name)->text();
}

ModuleConfig valuesOf(const clsVLINXMLProfile &document)
{
    ModuleConfig values = ModuleConfig::NewProfile();
    if (!document.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN))
        qFatal("profile not readable");
    return values;
}

// How many of the tree's three group nodes are expanded.
int expandedGroups(QTreeWidget *tree)
{
    int expanded = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        expanded += tree->topLevelItem(i)->isExpanded() ? 1 : 0;
    return expanded;
}

// Opens path through the File menu's "Open ", as the user picks it in the dialog.
bool openThroughMenu(TfMain &w, const QString &path)
{
    auto watch = ModalAnswer::of<QFileDialog>([&](QFileDialog *dialog) {
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    w.action("msiOpen")->trigger();
    return watch->answered();
}

// Starts without a connection, so no dialog opens by itself.
void storeNoStartConnection()
{
    VXLIN_Values values;
    values.StartMode = 1;
    WriteSettings(values);
}

} // namespace

class TestProfileFilePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { storeNoStartConnection(); }
    void newSaveAsSetSave();
    void openedAtStartThenCleared();
    void converterFromTheMenu();
    void treeFollowsTheProfile();
};

void TestProfileFilePanel::newSaveAsSetSave()
{
    TfMain w;
    w.resize(1000, 640);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.selectViewFromMenu(View::Profiles);
    QVERIFY(!button(w, "btbSaveAs")->isEnabled());
    QVERIFY(!button(w, "btbClear")->isEnabled());

    button(w, "btbCreateProfile")->click();
    QVERIFY(w.profile().IsLoaded());
    QCOMPARE(child<QLineEdit>(page(w), "ediProfilePath")->text(), QString());
    QVERIFY(!button(w, "btbSave")->isEnabled());
    QVERIFY(button(w, "btbSaveAs")->isEnabled());
    QVERIFY(button(w, "btbClear")->isEnabled());
    // The window's command update on a view or connection change leaves Save As to the profile.
    w.ops().UpdateCommandStates();
    QVERIFY(w.action("mniSaveAs")->isEnabled());
    QVERIFY(!w.action("mniSave")->isEnabled());

    QTemporaryDir dir;
    const QString path = dir.filePath("from the view.vxlin");
    QString title;
    auto watch = ModalAnswer::of<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    button(w, "btbSaveAs")->click();
    QVERIFY(watch->answered());
    QCOMPARE(title, QString("Save LIN Configuration File"));
    QCOMPARE(child<QLineEdit>(page(w), "ediProfilePath")->text(), path);
    const QRegularExpression date("^\\d\\d/\\d\\d/\\d{4}$");
    const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d$");
    QVERIFY(date.match(label(w, "laDate")).hasMatch());
    QVERIFY(time.match(label(w, "laTime")).hasMatch());
    QVERIFY(date.match(label(w, "laAccDate")).hasMatch());
    QVERIFY(time.match(label(w, "laAccTime")).hasMatch());
    saveScreenshot(&w, "profiles_view_loaded");

    // "Default" on a node in the tree enables Save everywhere; saving disables it again.
    auto *tree = child<QTreeWidget>(page(w), "trvProfile");
    QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Bit rate : 38400"));
    tree->setCurrentItem(tree->topLevelItem(2)->child(6)); // LIN bus termination
    QVERIFY(child<QPushButton>(page(w), "btnSetStandarValue")->isVisible());
    QVERIFY(!saveScreenshot(&w, "profiles_view_editing").isEmpty());
    QTest::mouseClick(child<QPushButton>(page(w), "btnSetStandarValue"), Qt::LeftButton);
    QVERIFY(w.profile().IsModified());
    QVERIFY(button(w, "btbSave")->isEnabled());
    QVERIFY(w.action("mniSave")->isEnabled());
    w.action("mniSave")->trigger();
    QVERIFY(!button(w, "btbSave")->isEnabled());
    QVERIFY(!w.action("mniSave")->isEnabled());
    clsVLINXMLProfile reopened;
    QVERIFY(reopened.OpenFile(path));
    QCOMPARE(valuesOf(reopened), valuesOf(w.profile()));
    QCOMPARE(valuesOf(reopened).LIN.BusTermination, std::uint16_t(1));
}

void TestProfileFilePanel::openedAtStartThenCleared()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("start.vxlin");
    {
        clsVLINXMLProfile document;
        QVERIFY(document.WriteRS232(4800));
        QVERIFY(document.SaveAs(path));
    }
    TfMain w({QStringLiteral("vexalin-ct"), path});
    // Views are built when first shown.
    w.selectViewFromMenu(View::Profiles);
    QCOMPARE(child<QLineEdit>(page(w), "ediProfilePath")->text(), path);
    QCOMPARE(valuesOf(w.profile()).RS232.Baudrate, 4800u);
    QVERIFY(w.action("mniSaveAs")->isEnabled());
    QVERIFY(child<QWidget>(page(w), "panEditing")->isVisibleTo(page(w)));

    // Unmodified: "Clear" asks nothing.
    button(w, "btbClear")->click();
    QVERIFY(!w.profile().IsLoaded());
    QCOMPARE(child<QLineEdit>(page(w), "ediProfilePath")->text(), QString());
    QCOMPARE(label(w, "laAccDate"), QString());
    QVERIFY(!button(w, "btbSaveAs")->isEnabled());
    QVERIFY(!w.action("mniSaveAs")->isEnabled());
    QVERIFY(!child<QWidget>(page(w), "panEditing")->isVisibleTo(page(w)));
}

void TestProfileFilePanel::converterFromTheMenu()
{
    TfMain w;
    QAction *item = w.action("mniProfileConverter");
    QVERIFY(item->isEnabled());
    QString caption;
    auto watch = ModalAnswer::of<TfProfileConverter>([&](TfProfileConverter *dialog) {
        caption = dialog->windowTitle();
        dialog->reject();
    });
    item->trigger();
    QVERIFY(watch->answered());
    QCOMPARE(caption, QString("Profile Converter"));
}

void TestProfileFilePanel::treeFollowsTheProfile()
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.vxlin");
    {
        clsVLINXMLProfile document;
        QVERIFY(document.WriteRS232(4800));
        QVERIFY(document.SaveAs(good));
    }
    const QString binary = dir.filePath("binary.vxlin");
    {
        QFile file(binary);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 512; ++i)
            file.putChar(char((i * 7919 + 13) & 0xFF));
    }
    TfMain w;
    w.resize(1000, 640);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.selectViewFromMenu(View::Profiles);
    auto *tree = child<QTreeWidget>(page(w), "trvProfile");
    QCOMPARE(expandedGroups(tree), 0);

    // "New" expands the whole tree, also after the user collapsed a group.
    button(w, "btbCreateProfile")->click();
    QCOMPARE(expandedGroups(tree), 3);
    tree->collapseItem(tree->topLevelItem(1));
    button(w, "btbCreateProfile")->click();
    QCOMPARE(expandedGroups(tree), 3);

    // "Clear" collapses it.
    button(w, "btbClear")->click();
    QVERIFY(!w.profile().IsLoaded());
    QCOMPARE(expandedGroups(tree), 0);

    // "Open" expands it again.
    tree->expandItem(tree->topLevelItem(0));
    QVERIFY(openThroughMenu(w, good));
    QCOMPARE(w.profile().FileName(), good);
    QCOMPARE(expandedGroups(tree), 3);

    // A file that holds no profile is refused with the reason; the loaded profile stays.
    tree->collapseItem(tree->topLevelItem(2));
    QString told;
    auto box = ModalAnswer::of<TfMsg>([&](TfMsg *shown) {
        told = child<QLabel>(shown, "laText")->text();
        saveScreenshot(shown, "profile_open_refused");
        shown->reject();
    });
    QVERIFY(openThroughMenu(w, binary));
    QTRY_VERIFY(box->answered());
    QVERIFY2(told.startsWith("Reading from file \"binary.vxlin\" failed\nnot a well-formed XML "
                             "file ("),
             qPrintable(told));
    QCOMPARE(w.profile().FileName(), good);
    QCOMPARE(expandedGroups(tree), 2);
}

QTEST_MAIN(TestProfileFilePanel)
#include "tst_profile_file_panel.moc"
