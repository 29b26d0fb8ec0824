// Help on Linux: every help context number opens an existing section of the user guide; a help
// file beside the program is handed to the desktop first; the Help menu, F1 in the main window
// and the dialogs, and Shift+F1 in the views reach the desktop through a recording opener.

#include "core/settings/settings_store.h"
#include "test_support.h"
#include "ui/dialogs/can_filter_dialog.h"
#include "ui/dialogs/entries_dialog.h"
#include "ui/dialogs/frames_config_dialog.h"
#include "ui/dialogs/preferences_dialog.h"
#include "ui/dialogs/profile_converter_dialog.h"
#include "ui/dialogs/slave_id_dialog.h"
#include "ui/main/help_access.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace vxl;

namespace {

// Hands nothing to the desktop; remembers what it was given and answers as told.
struct Recorder
{
    QList<QUrl> urls;
    std::function<bool(const QUrl &)> answer = [](const QUrl &) { return true; };

    HelpAccess::Opener opener()
    {
        return [this](const QUrl &url) {
            urls << url;
            return answer(url);
        };
    }
};

// Whether the URL names an existing file of the guide and, when it has one, an element with the
// fragment as its id in that file.
bool opensExistingSection(const QUrl &url)
{
    QFile page(url.toLocalFile());
    if (!url.isLocalFile() || !page.open(QIODevice::ReadOnly))
        return false;
    if (!url.hasFragment())
        return true;
    return QString::fromUtf8(page.readAll())
        .contains(QStringLiteral("id=\"%1\"").arg(url.fragment()));
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ITSF");
}

using DialogFactory = std::function<std::unique_ptr<QDialog>(QWidget *)>;

} // namespace

Q_DECLARE_METATYPE(DialogFactory)

class tst_HelpAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyContextNumberHasItsSection_data();
    void everyContextNumberHasItsSection();
    void helpFileBesideTheProgramComesFirst_data();
    void helpFileBesideTheProgramComesFirst();
    void withoutGuideNothingOpens();
    void dialogF1OpensItsSection_data();
    void dialogF1OpensItsSection();
    void mainWindowHelpCommands();

private:
    QTemporaryDir m_emptyProgramFolder;
};

void tst_HelpAccess::initTestCase()
{
    QVERIFY(m_emptyProgramFolder.isValid());
    VXLIN_Values values;
    values.StartMode = 1; // no connection at start
    WriteSettings(values);
}

void tst_HelpAccess::everyContextNumberHasItsSection_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    const std::pair<int, const char *> documented[] = {{110, "views.html"},
                                                       {120, "views.html"},
                                                       {130, "views.html"},
                                                       {140, "views.html"},
                                                       {210, "dialogs.html"},
                                                       {220, "dialogs.html"},
                                                       {230, "dialogs.html"},
                                                       {240, "dialogs.html"},
                                                       {250, "dialogs.html"},
                                                       {260, "dialogs.html"}};
    for (const auto &[context, page] : documented)
        QTest::addRow("%d", context) << context << QString::fromLatin1(page);
    QCOMPARE(HelpContexts().size(), qsizetype(std::size(documented)));
}

void tst_HelpAccess::everyContextNumberHasItsSection()
{
    QFETCH(int, context);
    QFETCH(QString, page);
    Recorder recorder;
    HelpAccess help([] { return false; });
    help.setOpener(recorder.opener());
    help.setProgramFolder(m_emptyProgramFolder.path());
    QVERIFY(help.showContext(context));
    QCOMPARE(recorder.urls.size(), 1);
    const QUrl url = recorder.urls.first();
    QCOMPARE(url.fileName(), page);
    QVERIFY2(!url.fragment().isEmpty(), qPrintable(url.toString()));
    QVERIFY2(opensExistingSection(url), qPrintable(url.toString()));
}

void tst_HelpAccess::helpFileBesideTheProgramComesFirst_data()
{
    QTest::addColumn<bool>("german");
    QTest::addColumn<bool>("desktopOpensIt");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("English, opened") << false << true << QStringList{"VXLTool_enu.chm"};
    QTest::newRow("German, opened") << true << true << QStringList{"VXLTool_deu.chm"};
    QTest::newRow("no viewer: guide")
        << true << false << QStringList{"VXLTool_deu.chm", "index.html"};
}

void tst_HelpAccess::helpFileBesideTheProgramComesFirst()
{
    QFETCH(bool, german);
    QFETCH(bool, desktopOpensIt);
    QFETCH(QStringList, opened);
    QTemporaryDir program;
    touch(program.filePath(QStringLiteral("VXLTool_enu.chm")));
    touch(program.filePath(QStringLiteral("VXLTool_deu.chm")));
    Recorder recorder;
    recorder.answer = [desktopOpensIt](const QUrl &url) {
        return desktopOpensIt || !url.fileName().endsWith(QLatin1String(".chm"));
    };
    HelpAccess help([german] { return german; });
    help.setOpener(recorder.opener());
    help.setProgramFolder(program.path());
    QVERIFY(help.showContents());
    QStringList names;
    for (const QUrl &url : recorder.urls) {
        QVERIFY(QFileInfo::exists(url.toLocalFile()));
        names << url.fileName();
    }
    QCOMPARE(names, opened);
}

void tst_HelpAccess::withoutGuideNothingOpens()
{
    QTemporaryDir noGuide;
    Recorder recorder;
    HelpAccess help([] { return false; });
    help.setOpener(recorder.opener());
    help.setProgramFolder(m_emptyProgramFolder.path());
    help.setGuideFolder(noGuide.path());
    QVERIFY(!help.showContents());
    QVERIFY(!help.showContext(110));
    QVERIFY(recorder.urls.isEmpty());
}

void tst_HelpAccess::dialogF1OpensItsSection_data()
{
    QTest::addColumn<DialogFactory>("factory");
    QTest::addColumn<int>("context");
    auto add = [](const char *name, int context, DialogFactory factory) {
        QTest::newRow(name) << factory << context;
    };
    add("TfPreferences", 210, [](QWidget *p) { return std::make_unique<TfPreferences>(p); });
    add("TfEntries", 220, [](QWidget *p) { return std::make_unique<TfEntries>(p); });
    add("TfFramesConfig", 230, [](QWidget *p) { return std::make_unique<TfFramesConfig>(p); });
    add("TfSlaveIDConfig", 240, [](QWidget *p) { return std::make_unique<TfSlaveIDConfig>(p); });
    add("TfCanFilterConfig", 250, [](QWidget *p) {
        return std::make_unique<TfCanFilterConfig>(p, 0u, 0xFFFFFFFFu);
    });
    add("TfProfileConverter", 260, [](QWidget *p) {
        return std::make_unique<TfProfileConverter>(p);
    });
}

void tst_HelpAccess::dialogF1OpensItsSection()
{
    QFETCH(DialogFactory, factory);
    QFETCH(int, context);
    Recorder recorder;
    HelpAccess help([] { return false; });
    help.setOpener(recorder.opener());
    help.setProgramFolder(m_emptyProgramFolder.path());
    help.install();
    QWidget owner;
    owner.show();
    std::unique_ptr<QDialog> dialog = factory(&owner);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    QCOMPARE(recorder.urls.size(), 1);
    const QUrl url = recorder.urls.first();
    QCOMPARE(url.fileName() + QLatin1Char('#') + url.fragment(), HelpTopic(context));
    QVERIFY(opensExistingSection(url));
}

void tst_HelpAccess::mainWindowHelpCommands()
{
    TfMain window;
    Recorder recorder;
    window.help().setOpener(recorder.opener());
    window.help().setProgramFolder(m_emptyProgramFolder.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.action(QStringLiteral("mniHelp"))->trigger();
    window.action(QStringLiteral("mniHelpSearch"))->trigger();
    window.action(QStringLiteral("mniHelpIndex"))->trigger();
    QCOMPARE(window.action(QStringLiteral("mniHelp"))->shortcut(), QKeySequence(Qt::Key_F1));
    QStringList names;
    for (const QUrl &url : recorder.urls) {
        QVERIFY2(opensExistingSection(url), qPrintable(url.toString()));
        names << url.fileName();
    }
    QCOMPARE(names,
             (QStringList{QStringLiteral("index.html"),
                          QStringLiteral("keywords.html"),
                          QStringLiteral("keywords.html")}));

    // Shift+F1 inside each view opens the view's section.
    auto *pages = window.findChild<QStackedWidget *>(QStringLiteral("pgcViews"));
    QVERIFY(pages);
    const int contexts[] = {110, 120, 130, 140};
    for (int page = 0; page < pages->count(); ++page) {
        recorder.urls.clear();
        window.findChild<QTabBar *>(QStringLiteral("mdiTabViews"))->setCurrentIndex(page);
        QWidget *view = pages->widget(page);
        QCOMPARE(pages->currentWidget(), view);
        QWidget *inside = view;
        for (QWidget *child : view->findChildren<QWidget *>()) {
            if (child->isVisible()) {
                inside = child;
                break;
            }
        }
        QVERIFY(inside != view);
        QTest::keyClick(inside, Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(recorder.urls.size(), 1);
        const QUrl url = recorder.urls.first();
        QCOMPARE(url.fileName() + QLatin1Char('#') + url.fragment(), HelpTopic(contexts[page]));
        QVERIFY(opensExistingSection(url));
    }
}

QTEST_MAIN(tst_HelpAccess)
#include "tst_help_access.moc"
