// The converter dialog offscreen, end to end on files: its prompts and notices are scripted.

#include "core/profiles/profile_document.h"
#include "test_files.h"
#include "test_support.h"
#include "ui/dialogs/profile_converter_dialog.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

using namespace vxl;
using vxl::test::child;
using vxl::test::legacyProfile;
using vxl::test::writeFile;

namespace {

struct Notice
{
    QString text;
    int ms;
    int sound;
};

struct Rig
{
    std::deque<QString> answers;
    std::vector<FilePrompt> prompts;
    std::vector<Notice> notices;
    std::unique_ptr<TfProfileConverter> dialog;

    Rig()
    {
        TfProfileConverter::Services services;
        services.promptFile = [this](const FilePrompt &prompt) {
            prompts.push_back(prompt);
            QString answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        };
        services.notice = [this](const QString &text, int ms, int sound) {
            notices.push_back({text, ms, sound});
        };
        dialog = std::make_unique<TfProfileConverter>(nullptr, services);
        dialog->show();
    }
    QLineEdit *source() { return child<QLineEdit>(dialog.get(), "ediSource"); }
    QLineEdit *target() { return child<QLineEdit>(dialog.get(), "ediTarget"); }
    QPushButton *convert() { return child<QPushButton>(dialog.get(), "btbSetStandard"); }
    QPushButton *save() { return child<QPushButton>(dialog.get(), "btbSave"); }
    void open(const QString &path)
    {
        answers.push_back(path);
        child<QPushButton>(dialog.get(), "btbOpen")->click();
    }
    void leaveTarget(const QString &text)
    {
        target()->setText(text);
        emit target()->editingFinished();
    }
    [[nodiscard]] QStringList noticeTexts() const
    {
        QStringList out;
        for (const auto &n : notices)
            out << n.text;
        return out;
    }
};

} // namespace

class TestProfileConverterDialog : public QObject
{
    Q_OBJECT

private slots:
    void convertsOneAfterAnother();
    void typedTarget_data();
    void typedTarget();
    void targetFromTheSaveDialog();
    void notLegacyAfterLegacy();
};

void TestProfileConverterDialog::convertsOneAfterAnother()
{
    QTemporaryDir dir;
    const QString source = dir.filePath("old.cfg.lin");
    QVERIFY(writeFile(source, legacyProfile()));
    Rig rig;
    QVERIFY(!rig.convert()->isEnabled());
    QVERIFY(!rig.save()->isEnabled());
    QVERIFY(rig.convert()->isDefault());

    rig.open(source);
    QCOMPARE(rig.prompts.back().title,
             QString("Select the LIN Configuration file to be converted..."));
    QVERIFY(!rig.prompts.back().save);
    QCOMPARE(rig.source()->text(), source);
    QCOMPARE(rig.target()->text(), dir.filePath("old.cfg.vxlin"));
    QVERIFY(rig.convert()->isEnabled());
    QVERIFY(rig.save()->isEnabled());
    test::saveScreenshot(rig.dialog.get(), "profile_converter_dialog");

    rig.convert()->click();
    QCOMPARE(rig.notices.size(), size_t(1));
    QCOMPARE(rig.notices.back().text, QString("The profile was sucessfully updated"));
    QCOMPARE(rig.notices.back().ms, 5000);
    QCOMPARE(rig.notices.back().sound, 48);
    QCOMPARE(rig.source()->text(), QString());
    QCOMPARE(rig.target()->text(), QString());
    QVERIFY(!rig.convert()->isEnabled());
    QVERIFY(!rig.save()->isEnabled());
    clsVLINXMLProfile converted;
    QVERIFY(converted.OpenFile(dir.filePath("old.cfg.vxlin")));
    ModuleConfig values = ModuleConfig::NewProfile();
    QVERIFY(converted.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN));
    QCOMPARE(values.RS232.Baudrate, 57600u);

    // The same source again: the first target is taken now.
    rig.open(source);
    QCOMPARE(rig.target()->text(), dir.filePath("old.cfg (1).vxlin"));
    rig.convert()->click();
    QVERIFY(QFile::exists(dir.filePath("old.cfg (1).vxlin")));
    QCOMPARE(rig.noticeTexts().size(), 2);
}

void TestProfileConverterDialog::typedTarget_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("other extension") << "D/profile.txt"
                                     << "D/profile.vxlin" << QStringList();
    QTest::newRow("empty name") << "D/"
                                << "D/VXLIN.vxlin" << QStringList();
    QTest::newRow("missing folder") << "D/missing/profile.vxlin"
                                    << "D/before.vxlin" << QStringList{"Directory doesn't exist"};
}

void TestProfileConverterDialog::typedTarget()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QStringList, notices);
    QTemporaryDir dir;
    const auto expand = [&](QString s) { return s.replace("D/", dir.path() + '/'); };
    Rig rig;
    rig.leaveTarget(dir.filePath("before.txt"));
    QCOMPARE(rig.target()->text(), dir.filePath("before.vxlin"));
    rig.leaveTarget(expand(typed));
    QCOMPARE(rig.target()->text(), expand(shown));
    QCOMPARE(rig.dialog->converter().Target(), expand(shown));
    QCOMPARE(rig.noticeTexts(), notices);
    if (!notices.isEmpty()) {
        QCOMPARE(rig.notices.back().ms, 3000);
        QCOMPARE(rig.notices.back().sound, 16);
    }
}

void TestProfileConverterDialog::targetFromTheSaveDialog()
{
    QTemporaryDir dir;
    const QString source = dir.filePath("LEGACY.LIN");
    QVERIFY(writeFile(source, legacyProfile()));
    Rig rig;
    // A path already in the field is the one the conversion writes to.
    rig.leaveTarget(dir.filePath("typed"));
    rig.open(source);
    QCOMPARE(rig.target()->text(), dir.filePath("typed.vxlin"));

    const QString chosen = dir.filePath("chosen.vxlin");
    rig.answers.push_back(chosen);
    rig.save()->click();
    const FilePrompt &prompt = rig.prompts.back();
    QVERIFY(prompt.save);
    QCOMPARE(prompt.title, QString("Select a new path and name for the converted profile"));
    QCOMPARE(prompt.initialName, dir.filePath("typed.vxlin"));
    QCOMPARE(rig.target()->text(), chosen);
    rig.convert()->click();
    QVERIFY(QFile::exists(chosen));
    QVERIFY(!QFile::exists(dir.filePath("typed.vxlin")));
    QVERIFY(!QFile::exists(dir.filePath(".vxlin")));
}

void TestProfileConverterDialog::notLegacyAfterLegacy()
{
    QTemporaryDir dir;
    const QString legacy = dir.filePath("good.lin");
    const QString other = dir.filePath("other.lin");
    QVERIFY(writeFile(legacy, legacyProfile()));
    QByteArray bytes = legacyProfile();
    bytes[0] = 'X';
    QVERIFY(writeFile(other, bytes));
    Rig rig;
    rig.open(legacy);
    rig.target()->clear();
    rig.open(other);
    QCOMPARE(rig.noticeTexts(), QStringList{"The given profile cannot be recognized"});
    QCOMPARE(rig.notices.back().sound, 16);
    rig.convert()->click();
    QCOMPARE(rig.noticeTexts().last(),
             QString("An error occurred while converting the VEXA-LIN profile "));
    QVERIFY(!QFile::exists(dir.filePath("other.vxlin")));
    QCOMPARE(rig.source()->text(), other);
}

QTEST_MAIN(TestProfileConverterDialog)
#include "tst_profile_converter_dialog.moc"
