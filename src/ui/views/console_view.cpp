#include "ui/views/console_view.h"

#include "core/operations/console_logic.h"
#include "core/operations/maintenance.h"
#include "core/operations/operations.h"
#include "ui/views/command_controls.h"
#include "ui/views/control_names.h"
#include "ui/widgets/command_button_widget.h"
#include "ui/widgets/control_panel_widget.h"
#include "ui/widgets/press_once.h"
#include "ui/widgets/up_down_widget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vxl {

namespace {

// Leaving a parameter edit pads it to two digits.
class ParameterEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    std::function<void()> left;

protected:
    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        if (left)
            left();
    }
};

} // namespace

ConsoleView::ConsoleView(Operations &ops, QWidget *parent)
    : QWidget(parent)
    , m_ops(ops)
{
    setObjectName(QStringLiteral("tbsAdvance"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pressOnce = new PressOnce(
        [&ops](const QPushButton &b) { return ControlEnabled(ops.Commands(), b.objectName()); },
        this);
    m_panel = new ControlPanel(QStringLiteral("panControls4"), this);
    new QVBoxLayout(m_panel);
    buildSelectors(m_panel);
    buildParameters(m_panel);
    layout->addWidget(m_panel);
    buildTree();
    layout->addWidget(m_tree, 1);

    auto &console = m_ops.Console();
    connect(&console, &ConsoleLogic::listChanged, this, &ConsoleView::refreshList);
    connect(&console, &ConsoleLogic::parametersChanged, this, &ConsoleView::refreshParameters);
    connect(&console, &ConsoleLogic::lineAdded, this, &ConsoleView::addLine);
    connect(&console, &ConsoleLogic::linesCleared, this, &ConsoleView::clearLines);
    connect(&m_ops, &Operations::commandStatesChanged, this, &ConsoleView::applyCommandStates);
    // A view built after the first lines (a reset from the menu) shows them too.
    for (int group = 0; group < int(m_nodes.size()); ++group) {
        for (const bool received : {false, true}) {
            for (const QString &line : console.Lines(group, received))
                addLine(group, received, line);
        }
    }
    refreshList();
    refreshParameters();
    applyCommandStates();
}

ConsoleView::~ConsoleView()
{
    // The edit that has the focus loses it while the children are destroyed, after this part
    // of the view is gone: it must not call back.
    m_count->edit()->disconnect(this);
    for (auto *edit : m_params) {
        edit->disconnect(this);
        static_cast<ParameterEdit *>(edit)->left = nullptr;
    }
}

void ConsoleView::buildSelectors(QWidget *panel)
{
    auto *row = new QHBoxLayout();
    static_cast<QVBoxLayout *>(panel->layout())->addLayout(row);
    m_group = new QComboBox(panel);
    m_group->setObjectName(QStringLiteral("cmbGroup"));
    m_group->addItems({QStringLiteral("RS-232"), QStringLiteral("CAN"), QStringLiteral("LIN")});
    m_group->setToolTip(
        QStringLiteral("Interface Selection - Device interface on which a command will apply"));
    m_mode = new QComboBox(panel);
    m_mode->setObjectName(QStringLiteral("cmbMode"));
    m_mode->addItems({QStringLiteral("Initialization and Write"),
                      QStringLiteral("Read"),
                      QStringLiteral("Set"),
                      QStringLiteral("Delete / Reset")});
    m_mode->setToolTip(QStringLiteral("Kind of operation to achieve through a command"));
    m_action = new QComboBox(panel);
    m_action->setObjectName(QStringLiteral("cmbAction"));
    m_action->setMinimumContentsLength(32);
    m_action->setToolTip(
        QStringLiteral("Command selection - Command to be executed on the specified interface. "));
    row->addWidget(new QLabel(QStringLiteral("Interface:"), panel));
    row->addWidget(m_group);
    row->addWidget(new QLabel(QStringLiteral("Command Group:"), panel));
    row->addWidget(m_mode);
    row->addWidget(new QLabel(QStringLiteral("Command:"), panel));
    row->addWidget(m_action, 1);

    m_reset = CommandButton(
        QString::fromLatin1(control::btbReset),
        QStringLiteral("Reset"),
        QStringLiteral(
            "Resets the module, initializing it with the configuration saved on its flash memory"),
        panel);
    m_defaults
        = CommandButton(QString::fromLatin1(control::btbSetValues),
                        QStringLiteral("Defaults"),
                        QStringLiteral(
                            "Configures the module with its default values and initializes it.  "),
                        panel);
    m_flash
        = CommandButton(QString::fromLatin1(control::btbCopyFlashBlock),
                        QStringLiteral("Flash Save"),
                        QStringLiteral(
                            "Saves the current configuration in the flash memory of the module. "),
                        panel);
    row->addSpacing(12);
    row->addWidget(m_reset);
    row->addWidget(m_defaults);
    row->addWidget(m_flash);
    m_pressOnce->bind(m_reset, [this] { m_ops.Maint().ResetModuleAction(); });
    m_pressOnce->bind(m_defaults, [this] { m_ops.Maint().SetDefaultsAction(); });
    m_pressOnce->bind(m_flash, [this] { m_ops.Maint().FlashSaveAction(); });

    auto changeGroup = [this] {
        if (m_updating)
            return;
        // Both are read first: refilling the list after the group shows the console's mode
        // again, which would undo a mode just chosen.
        const int group = m_group->currentIndex();
        const int mode = m_mode->currentIndex();
        m_ops.Console().SetGroup(group);
        m_ops.Console().SetMode(mode);
    };
    connect(m_group, &QComboBox::currentIndexChanged, this, changeGroup);
    connect(m_mode, &QComboBox::currentIndexChanged, this, changeGroup);
    connect(m_action, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updating)
            m_ops.Console().SelectEntry(index);
    });
}

void ConsoleView::buildParameters(QWidget *panel)
{
    auto *grid = new QGridLayout();
    static_cast<QVBoxLayout *>(panel->layout())->addLayout(grid);
    m_count = new UpDownEdit(QStringLiteral("ediParam"), 0, kParameterEdits, 2, panel);
    m_count->setObjectName(QStringLiteral("udwParams"));
    m_count->edit()->setFixedWidth(34);
    m_count->edit()->setToolTip(QStringLiteral("Number of Parameters to Send"));
    grid->addWidget(new QLabel(QStringLiteral("Parameters:"), panel), 0, 0);
    grid->addWidget(m_count, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("0x"), panel), 1, 1);
    // Only the arrows give the edits beyond the count their data-byte hints; a typed count
    // keeps the command's hints.
    connect(m_count, &UpDownEdit::stepped, this, [this](int value) {
        if (!m_updating)
            m_ops.Console().StepParameterCount(value);
    });
    connect(m_count->edit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!m_updating && !text.isEmpty())
            m_ops.Console().ParameterCountEdited(text);
    });
    connect(m_count->edit(), &QLineEdit::editingFinished, this, [this] {
        if (!m_updating)
            m_ops.Console().ParameterCountEdited(m_count->edit()->text());
    });
    static const QRegularExpression hex(QStringLiteral("[0-9A-Fa-f]{0,2}"));
    for (int i = 0; i < int(m_params.size()); ++i) {
        auto *edit = new ParameterEdit(QStringLiteral("00"), panel);
        const QString number = QString::number(i).rightJustified(2, QLatin1Char('0'));
        edit->setObjectName(QStringLiteral("ediP") + number);
        edit->setMaxLength(2);
        edit->setFixedWidth(34);
        edit->setValidator(new QRegularExpressionValidator(hex, edit));
        connect(edit, &QLineEdit::textEdited, this, [this, i](const QString &text) {
            m_ops.Console().SetParameterText(i, text);
        });
        edit->left = [this, i] { m_ops.Console().ParameterEditLeft(i); };
        m_params[std::size_t(i)] = edit;
        grid->addWidget(new QLabel(QStringLiteral("P") + number, panel), 0, 2 + i, Qt::AlignHCenter);
        grid->addWidget(edit, 1, 2 + i);
    }
    m_send = CommandButton(
        QString::fromLatin1(control::btbSendCode),
        QStringLiteral("Send"),
        QStringLiteral(
            "Sends a command to the module corresponding to the Group-Mode-Action selection"),
        panel);
    grid->addWidget(m_send, 1, 2 + int(m_params.size()));
    grid->setColumnStretch(3 + int(m_params.size()), 1);
    m_pressOnce->bind(m_send, [this] { m_ops.Console().Send(); });
}

void ConsoleView::buildTree()
{
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("trvStatus"));
    m_tree->setHeaderLabel(QStringLiteral("Messages Status:"));
    m_tree->setToolTip(QStringLiteral(
        "Messages Log.  The Data Bytes are displayed in the order that  were received"));
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    static const char *const groups[] = {"RS-232", "CAN", "LIN", "MODULE"};
    for (int g = 0; g < 4; ++g) {
        auto *top = new QTreeWidgetItem(m_tree, {QString::fromLatin1(groups[g])});
        m_nodes[std::size_t(g)][0] = new QTreeWidgetItem(top, {QStringLiteral("Sent")});
        m_nodes[std::size_t(g)][1] = new QTreeWidgetItem(top, {QStringLiteral("Received")});
        top->setExpanded(true);
    }
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, &ConsoleView::showTreeMenu);
}

void ConsoleView::showTreeMenu(const QPoint &at)
{
    QMenu menu(this);
    QMenu *from = menu.addMenu(QStringLiteral("Clear Messages From..."));
    static const char *const groups[] = {"RS-232", "CAN", "LIN", "MODULE"};
    for (int g = 0; g < 4; ++g)
        from->addAction(QString::fromLatin1(groups[g]), this, [this, g] {
            m_ops.Console().ClearGroup(g);
        });
    menu.addAction(QStringLiteral("Clear All Messages"), this, [this] {
        m_ops.Console().ClearAll();
    });
    menu.exec(m_tree->viewport()->mapToGlobal(at));
}

void ConsoleView::addLine(int group, bool received, const QString &line)
{
    auto *node = m_nodes[std::size_t(group)][received ? 1 : 0];
    new QTreeWidgetItem(node, {line});
    node->setExpanded(true);
    m_tree->scrollToItem(node->child(node->childCount() - 1));
}

void ConsoleView::clearLines(int group)
{
    for (int g = 0; g < 4; ++g) {
        if (group >= 0 && g != group)
            continue;
        for (auto *node : m_nodes[std::size_t(g)])
            qDeleteAll(node->takeChildren());
    }
}

void ConsoleView::refreshList()
{
    m_updating = true;
    const auto &console = m_ops.Console();
    m_group->setCurrentIndex(console.Group());
    m_mode->setCurrentIndex(console.Mode());
    m_action->clear();
    for (const auto &entry : console.List())
        m_action->addItem(entry.text);
    m_action->setCurrentIndex(console.Position());
    m_updating = false;
}

void ConsoleView::refreshParameters()
{
    m_updating = true;
    const auto &console = m_ops.Console();
    m_count->setValue(console.ParameterCount());
    for (int i = 0; i < int(m_params.size()); ++i) {
        auto *edit = m_params[std::size_t(i)];
        edit->setEnabled(i < console.ParameterCount());
        edit->setToolTip(console.Hint(i));
        if (edit->text() != console.ParameterText(i))
            edit->setText(console.ParameterText(i));
    }
    m_updating = false;
}

void ConsoleView::applyCommandStates()
{
    m_pressOnce->apply({m_reset, m_defaults, m_flash, m_send});
}

} // namespace vxl
