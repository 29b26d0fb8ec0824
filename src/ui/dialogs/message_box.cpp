#include "ui/dialogs/message_box.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace vxl {

namespace {

constexpr int kPictureSize = 32;
constexpr int kButtonWidth = 88;

struct ButtonLayout
{
    const char *name;
    const char *caption;
    BoxResult result;
};

struct KindLook
{
    QStyle::StandardPixmap picture;
    BoxResult defaultAnswer;
    BoxResult escapeAnswer;
    std::vector<ButtonLayout> buttons; // from the top
};

KindLook lookOf(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Question:
        return {QStyle::SP_MessageBoxWarning,
                BoxResult::Yes,
                BoxResult::Cancel,
                {{"btLeft", "YES", BoxResult::Yes},
                 {"btCenter", "NO", BoxResult::No},
                 {"btRight", "Cancel", BoxResult::Cancel}}};
    case BoxKind::Confirmation:
        return {QStyle::SP_MessageBoxQuestion,
                BoxResult::Yes,
                BoxResult::No,
                {{"btLeft", "YES", BoxResult::Yes}, {"btCenter", "NO", BoxResult::No}}};
    case BoxKind::Information:
        return {QStyle::SP_MessageBoxInformation,
                BoxResult::Closed,
                BoxResult::Closed,
                {{"btLeft", "Close", BoxResult::Closed}}};
    case BoxKind::Error:
        break;
    }
    return {QStyle::SP_MessageBoxCritical,
            BoxResult::Closed,
            BoxResult::Closed,
            {{"btLeft", "Close", BoxResult::Closed}}};
}

} // namespace

TfMsg::TfMsg(QWidget *owner, BoxKind kind, const QString &text)
    : QDialog(owner,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::MSWindowsFixedSizeDialogHint)
    , m_kind(kind)
{
    const KindLook look = lookOf(kind);
    m_answer = look.escapeAnswer;
    m_escapeAnswer = look.escapeAnswer;

    setObjectName(QStringLiteral("TfMsg"));
    setWindowTitle(QStringLiteral("VEXA-LIN CT"));
    setModal(true);

    auto *picturePanel = new QFrame(this);
    picturePanel->setObjectName(QStringLiteral("panPicture"));
    picturePanel->setFixedWidth(kPictureSize + 16);
    auto *picture = new QLabel(picturePanel);
    picture->setObjectName(QStringLiteral("imgSign"));
    picture->setPixmap(style()->standardIcon(look.picture).pixmap(kPictureSize, kPictureSize));
    auto *pictureLayout = new QVBoxLayout(picturePanel);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    pictureLayout->addWidget(picture, 0, Qt::AlignCenter);

    m_text = new QLabel(text, this);
    m_text->setObjectName(QStringLiteral("laText"));
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);

    m_buttons = new QWidget(this);
    auto *buttonLayout = new QVBoxLayout(m_buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->setSpacing(4);
    buttonLayout->addStretch(1);
    QPushButton *left = nullptr;
    QPushButton *centre = nullptr;
    for (const ButtonLayout &button : look.buttons) {
        QPushButton *made = addButton(QString::fromLatin1(button.name),
                                      QString::fromLatin1(button.caption),
                                      button.result);
        buttonLayout->addWidget(made);
        // Enter and Space answer the button that has the focus (keyPressEvent).
        made->setAutoDefault(false);
        made->setDefault(button.result == look.defaultAnswer);
        if (made->objectName() == QLatin1String("btLeft"))
            left = made;
        if (made->objectName() == QLatin1String("btCenter"))
            centre = made;
    }
    buttonLayout->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(8);
    layout->addWidget(picturePanel);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_buttons);

    fitText();
    if (QPushButton *focus = centre ? centre : left)
        focus->setFocus(Qt::OtherFocusReason);
}

QPushButton *TfMsg::addButton(const QString &name, const QString &caption, BoxResult result)
{
    auto *button = new QPushButton(caption, m_buttons);
    button->setObjectName(name);
    button->setFixedWidth(kButtonWidth);
    connect(button, &QPushButton::clicked, this, [this, result]() { finish(result); });
    return button;
}

void TfMsg::fitText()
{
    // The box keeps its size; a text too long for it makes it taller rather than being cut off.
    const int textWidth = kClientWidth - (kPictureSize + 16) - kButtonWidth - 2 * 8 - 2 * 8;
    const int needed = m_text->heightForWidth(textWidth) + 2 * 6;
    const int buttonsNeeded = m_buttons->sizeHint().height() + 2 * 6;
    const int height = std::max({kClientHeight, needed, buttonsNeeded});
    setFixedSize(kClientWidth, height);
}

void TfMsg::keyPressEvent(QKeyEvent *event)
{
    // A button that is not the default one leaves Enter to the dialog, which would answer with
    // the default button: a reflexive Enter on "NO" must not answer "YES".
    const bool enter = (event->key() == Qt::Key_Return && event->modifiers() == Qt::NoModifier)
                       || (event->key() == Qt::Key_Enter
                           && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier);
    auto *focused = qobject_cast<QPushButton *>(focusWidget());
    if (enter && focused && m_buttons->isAncestorOf(focused)) {
        focused->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfMsg::finish(BoxResult result)
{
    m_answer = result;
    done(result == m_escapeAnswer ? QDialog::Rejected : QDialog::Accepted);
}

void TfMsg::reject()
{
    m_answer = m_escapeAnswer;
    QDialog::reject();
}

BoxResult TfMsg::Ask(QWidget *owner, BoxKind kind, const QString &text)
{
    // The owner may go away while the box is open (it is the box's parent then).
    QPointer<TfMsg> box = new TfMsg(owner, kind, text);
    QApplication::beep();
    box->exec();
    if (!box)
        return lookOf(kind).escapeAnswer;
    const BoxResult answer = box->answer();
    delete box.data();
    return answer;
}

} // namespace vxl
