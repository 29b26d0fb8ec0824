// The application message box, driven as an operator would on an offscreen display.

#include "modal_answer.h"
#include "support/test_support.h"
#include "ui/dialogs/message_box.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

using namespace vxl;
using vxl::test::ModalAnswer;

Q_DECLARE_METATYPE(vxl::BoxKind)
Q_DECLARE_METATYPE(vxl::BoxResult)

namespace {

// The visible buttons from the top.
QList<QPushButton *> stackedButtons(TfMsg *box)
{
    QList<QPushButton *> buttons;
    for (QPushButton *button : box->findChildren<QPushButton *>()) {
        if (button->isVisible())
            buttons << button;
    }
    std::sort(buttons.begin(), buttons.end(), [](QPushButton *a, QPushButton *b) {
        return a->mapTo(a->window(), QPoint()).y() < b->mapTo(b->window(), QPoint()).y();
    });
    return buttons;
}

QPushButton *buttonWithText(TfMsg *box, const QString &text)
{
    for (QPushButton *button : box->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void buttonsPerKind_data();
    void buttonsPerKind();
    void answers_data();
    void answers();
    void boxLooksRight_data();
    void boxLooksRight();
    void longTextIsNotCutOff();
    void timersRunWhileOpen();
};

void TestMessageBox::buttonsPerKind_data()
{
    QTest::addColumn<BoxKind>("kind");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("defaultCaption");
    QTest::addColumn<QString>("focusName");

    QTest::newRow("Question") << BoxKind::Question << QStringList{"YES", "NO", "Cancel"}
                              << QStringList{"btLeft", "btCenter", "btRight"} << "YES"
                              << "btCenter";
    QTest::newRow("Error") << BoxKind::Error << QStringList{"Close"} << QStringList{"btLeft"}
                           << "Close"
                           << "btLeft";
    QTest::newRow("Information") << BoxKind::Information << QStringList{"Close"}
                                 << QStringList{"btLeft"} << "Close"
                                 << "btLeft";
    QTest::newRow("Confirmation") << BoxKind::Confirmation << QStringList{"YES", "NO"}
                                  << QStringList{"btLeft", "btCenter"} << "YES"
                                  << "btCenter";
}

void TestMessageBox::buttonsPerKind()
{
    QFETCH(BoxKind, kind);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, names);
    QFETCH(QString, defaultCaption);
    QFETCH(QString, focusName);

    QStringList seenCaptions, seenNames, defaults;
    QString focused;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        for (QPushButton *button : stackedButtons(box)) {
            seenCaptions << button->text();
            seenNames << button->objectName();
            if (button->isDefault())
                defaults << button->text();
        }
        if (QWidget *focus = box->focusWidget())
            focused = focus->objectName();
        box->reject();
    });
    TfMsg::Ask(nullptr, kind, QStringLiteral("Which buttons?"));

    QVERIFY(watch->answered());
    QCOMPARE(seenCaptions, captions);
    QCOMPARE(seenNames, names);
    QCOMPARE(defaults, QStringList{defaultCaption});
    QCOMPARE(focused, focusName);
}

void TestMessageBox::answers_data()
{
    QTest::addColumn<BoxKind>("kind");
    // A button caption, "Escape", "Enter" where the focus is, or "Enter on" a button that has
    // been given the focus.
    QTest::addColumn<QString>("action");
    QTest::addColumn<BoxResult>("expected");

    QTest::newRow("Question YES") << BoxKind::Question << "YES" << BoxResult::Yes;
    QTest::newRow("Question NO") << BoxKind::Question << "NO" << BoxResult::No;
    QTest::newRow("Question Cancel") << BoxKind::Question << "Cancel" << BoxResult::Cancel;
    QTest::newRow("Question Escape") << BoxKind::Question << "Escape" << BoxResult::Cancel;
    // The focus starts on NO, and Enter answers the button that has the focus.
    QTest::newRow("Question Enter") << BoxKind::Question << "Enter" << BoxResult::No;
    QTest::newRow("Question keypad Enter") << BoxKind::Question << "keypad Enter" << BoxResult::No;
    QTest::newRow("Question Enter on YES") << BoxKind::Question << "Enter on YES" << BoxResult::Yes;
    QTest::newRow("Question Enter on Cancel")
        << BoxKind::Question << "Enter on Cancel" << BoxResult::Cancel;
    QTest::newRow("Error Close") << BoxKind::Error << "Close" << BoxResult::Closed;
    QTest::newRow("Error Escape") << BoxKind::Error << "Escape" << BoxResult::Closed;
    QTest::newRow("Error Enter") << BoxKind::Error << "Enter" << BoxResult::Closed;
    QTest::newRow("Information Close") << BoxKind::Information << "Close" << BoxResult::Closed;
    QTest::newRow("Information Escape") << BoxKind::Information << "Escape" << BoxResult::Closed;
    QTest::newRow("Confirmation YES") << BoxKind::Confirmation << "YES" << BoxResult::Yes;
    QTest::newRow("Confirmation NO") << BoxKind::Confirmation << "NO" << BoxResult::No;
    QTest::newRow("Confirmation Escape") << BoxKind::Confirmation << "Escape" << BoxResult::No;
    QTest::newRow("Confirmation Enter") << BoxKind::Confirmation << "Enter" << BoxResult::No;
    QTest::newRow("Confirmation Enter on YES")
        << BoxKind::Confirmation << "Enter on YES" << BoxResult::Yes;
    QTest::newRow("Confirmation Enter on NO")
        << BoxKind::Confirmation << "Enter on NO" << BoxResult::No;
}

void TestMessageBox::answers()
{
    QFETCH(BoxKind, kind);
    QFETCH(QString, action);
    QFETCH(BoxResult, expected);

    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    bool found = true;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        if (action.startsWith(QLatin1String("Enter on "))) {
            QPushButton *button = buttonWithText(box, action.mid(9));
            found = button != nullptr;
            if (!button) {
                box->reject();
                return;
            }
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Return);
            return;
        }
        if (action == QLatin1String("keypad Enter")) {
            QTest::keyClick(box->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
            return;
        }
        if (action == QLatin1String("Escape") || action == QLatin1String("Enter")) {
            // Keys go where the focus is, as they would for a user.
            QWidget *target = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(target,
                            action == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        QPushButton *button = buttonWithText(box, action);
        found = button != nullptr;
        if (!button) {
            box->reject();
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    });
    const BoxResult result = TfMsg::Ask(&owner, kind, QStringLiteral("Answer me"));

    QVERIFY(watch->answered());
    QVERIFY2(found, qPrintable(action));
    QCOMPARE(result, expected);
    // The box is gone once it has answered.
    QVERIFY(owner.findChildren<TfMsg *>().isEmpty());
}

void TestMessageBox::boxLooksRight_data()
{
    QTest::addColumn<BoxKind>("kind");
    QTest::addColumn<QString>("text");

    QTest::newRow("Question") << BoxKind::Question
                              << "The current profile was modified. Do you want to save the "
                                 "changes before leaving the application?";
    QTest::newRow("Error") << BoxKind::Error << "There is not an active connection";
    QTest::newRow("Information") << BoxKind::Information << "Profile saved.";
    QTest::newRow("Confirmation") << BoxKind::Confirmation
                                  << "Do you want to replace the scheduler of the module?";
}

void TestMessageBox::boxLooksRight()
{
    QFETCH(BoxKind, kind);
    QFETCH(QString, text);

    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    QString title, shown, screenshot;
    bool wraps = false, fits = false;
    QSize size;
    QPoint centreOffset;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        title = box->windowTitle();
        size = box->size();
        auto *label = box->findChild<QLabel *>(QStringLiteral("laText"));
        shown = label ? label->text() : QString();
        wraps = label && label->wordWrap() && label->alignment() == Qt::Alignment(Qt::AlignCenter);
        fits = label && label->heightForWidth(label->width()) <= label->height();
        centreOffset = box->frameGeometry().center() - owner.frameGeometry().center();
        screenshot = vxl::test::saveScreenshot(box,
                                               QStringLiteral("message_box_%1")
                                                   .arg(QString::fromLatin1(QTest::currentDataTag())
                                                            .toLower()));
        box->reject();
    });
    TfMsg::Ask(&owner, kind, text);

    QVERIFY(watch->answered());
    QCOMPARE(title, QStringLiteral("VEXA-LIN CT"));
    QCOMPARE(size, QSize(445, 108));
    QCOMPARE(shown, text);
    QVERIFY(wraps);
    QVERIFY(fits);
    QVERIFY2(std::abs(centreOffset.x()) <= 2 && std::abs(centreOffset.y()) <= 30,
             qPrintable(QStringLiteral("%1,%2").arg(centreOffset.x()).arg(centreOffset.y())));
    QVERIFY(!screenshot.isEmpty());
}

void TestMessageBox::longTextIsNotCutOff()
{
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("Error while sending the LIN group of the profile. ");
    bool fits = false;
    int width = 0, height = 0;
    auto watch = ModalAnswer::of<TfMsg>([&](TfMsg *box) {
        auto *label = box->findChild<QLabel *>(QStringLiteral("laText"));
        fits = label && label->heightForWidth(label->width()) <= label->height();
        width = box->width();
        height = box->height();
        vxl::test::saveScreenshot(box, QStringLiteral("message_box_long_text"));
        box->reject();
    });
    TfMsg::Ask(nullptr, BoxKind::Error, text);

    QVERIFY(watch->answered());
    QVERIFY(fits);
    QCOMPARE(width, 445);
    QVERIFY(height > 108);
}

void TestMessageBox::timersRunWhileOpen()
{
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks]() { ++ticks; });
    ticker.start(10);
    auto watch = ModalAnswer::of<TfMsg>(
        [&](TfMsg *box) { QTimer::singleShot(200, box, [box]() { box->reject(); }); });
    const BoxResult result = TfMsg::Ask(nullptr, BoxKind::Confirmation, QStringLiteral("Wait"));

    QVERIFY(watch->answered());
    QCOMPARE(result, BoxResult::No);
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
}

QTEST_MAIN(TestMessageBox)
#include "tst_message_box.moc"
