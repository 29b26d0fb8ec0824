// The save dialog of "Stop Trace" on an offscreen display: the file type chosen decides the
// extension a name typed without one gets.

#include "core/operations/trace_recorder.h"
#include "modal_answer.h"
#include "support/test_support.h"
#include "ui/dialogs/file_prompt_dialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace vxl;
using vxl::test::ModalAnswer;

class TestFilePromptDialog : public QObject
{
    Q_OBJECT

private slots:
    void typeDecidesExtension_data();
    void typeDecidesExtension();
};

void TestFilePromptDialog::typeDecidesExtension_data()
{
    QTest::addColumn<int>("typeSteps"); // presses of Down on the file type list
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("capture");
    QTest::newRow("text, no extension") << 0 << "bus"
                                        << "bus.txt" << false;
    QTest::newRow("capture, no extension") << 1 << "bus"
                                           << "bus.pcapng" << true;
    QTest::newRow("capture, own extension") << 1 << "bus.log"
                                            << "bus.log" << false;
    QTest::newRow("text type, capture name") << 0 << "bus.pcapng"
                                             << "bus.pcapng" << true;
    QTest::newRow("capture, then text again") << 2 << "bus"
                                              << "bus.txt" << false;
}

void TestFilePromptDialog::typeDecidesExtension()
{
    QFETCH(int, typeSteps);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(bool, capture);
    QTemporaryDir dir;
    QStringList types;
    auto watch = ModalAnswer::of<QFileDialog>([&](QFileDialog *dialog) {
        dialog->setDirectory(dir.path());
        auto *typeList = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!typeList || !name) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < typeList->count(); ++i)
            types << typeList->itemText(i);
        for (int i = 0; i < typeSteps; ++i)
            QTest::keyClick(typeList,
                            i == 0 || typeList->currentIndex() == 0 ? Qt::Key_Down : Qt::Key_Up);
        name->setText(typed);
        if (typeSteps == 1 && typed == QStringLiteral("bus"))
            test::saveScreenshot(dialog, QStringLiteral("trace_save_dialog_capture"));
        static_cast<QDialog *>(dialog)->accept();
    });
    const QString path = RunFilePrompt(nullptr, TraceRecorder::LogPrompt());
    QVERIFY(watch->answered());
    QCOMPARE(types, (QStringList{"Text Files (*.txt)", "Wireshark capture (*.pcapng)"}));
    QCOMPARE(path, QDir(dir.path()).filePath(saved));
    QCOMPARE(TraceRecorder::IsCaptureFile(path), capture);
}

QTEST_MAIN(TestFilePromptDialog)
#include "tst_file_prompt_dialog.moc"
