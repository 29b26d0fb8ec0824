#include "ui/dialogs/frames_config_dialog.h"

#include "ui/widgets/command_button_widget.h"

#include "core/editing/entry_rules.h"
#include "ui/dialogs/frame_editor_dialog.h"
#include "ui/widgets/dialog_buttons_widget.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vxl {

namespace {

enum Column : int {
    IdColumn,
    LengthColumn,
    ChecksumColumn,
    DirectionColumn,
    DataColumn,
    ColumnCount
};
constexpr std::array<int, ColumnCount> kColumnWidths = {80, 60, 90, 80, 160};

} // namespace

TfFramesConfig::TfFramesConfig(QWidget *parent)
    : ListDialog(kHelpContext, parent)
    , m_lin(ModuleConfig::NewProfile().LIN)
    , m_defaults(DefaultFrameConfig())
{
    setObjectName(QStringLiteral("TfFramesConfig"));
    setWindowTitle(QStringLiteral("  Frame Configuration"));
    buildList();
    buildMenu();
    buildButtons();
    fillAll();
    setEditable(true);
}

void TfFramesConfig::buildList()
{
    m_list = makeList(QStringLiteral("lvListFrames"),
                      kFrameCount,
                      {QStringLiteral("ID"),
                       QStringLiteral("Length"),
                       QStringLiteral("Checksum Type"),
                       QStringLiteral("Direction"),
                       QStringLiteral("Default Data")});
    m_list->horizontalHeader()->setStretchLastSection(true);
    // The nominal widths clip the captions and eight data bytes in larger fonts: every column
    // is at least as wide as its caption and its widest possible content.
    const QFontMetrics metrics = m_list->fontMetrics();
    const QFontMetrics headerMetrics = m_list->horizontalHeader()->fontMetrics();
    const std::array<QString, ColumnCount> widest = {QStringLiteral("63 / 0x3F"),
                                                     QStringLiteral("8"),
                                                     QStringLiteral("ENHANCED"),
                                                     QStringLiteral("Subscriber"),
                                                     QStringLiteral("00  ").repeated(8)};
    int width = 0;
    for (int column = 0; column < ColumnCount; ++column) {
        const QString caption = m_list->horizontalHeaderItem(column)->text();
        const int fit = std::max(metrics.horizontalAdvance(widest[std::size_t(column)]),
                                 headerMetrics.horizontalAdvance(caption))
                        + 20;
        const int columnWidth = std::max(kColumnWidths[std::size_t(column)], fit);
        m_list->setColumnWidth(column, columnWidth);
        width += columnWidth;
    }
    m_list->setSortingEnabled(false);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 8);
    fitListWidth(width);
    m_list->setMinimumHeight(16 * (m_list->fontMetrics().height() + 8));
    for (int n = 0; n < kFrameCount; ++n)
        m_list->setItem(n, IdColumn, ReadOnlyCell(IdCellText(n), false));
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int) {
        if (m_editable)
            btbModifyClick();
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_editable)
            m_menu->popup(m_list->viewport()->mapToGlobal(pos));
    });
}

// "Modify" and "Defaults" on the row of OK and Cancel.
void TfFramesConfig::buildButtons()
{
    m_modify = CommandButton(QStringLiteral("btbModify"), QStringLiteral("Modify"), QString(), this);
    m_setStandard = CommandButton(QStringLiteral("btbSetStandard"),
                                  QStringLiteral("Defaults"),
                                  QStringLiteral("Loads the default configuration of all frames"),
                                  this);
    m_modify->setMinimumWidth(90);
    m_setStandard->setMinimumWidth(90);
    connect(m_modify, &QPushButton::clicked, this, &TfFramesConfig::btbModifyClick);
    connect(m_setStandard, &QPushButton::clicked, this, &TfFramesConfig::applyDefaults);

    const DialogButtons buttons = MakeDialogButtons(this);
    m_ok = buttons.ok;
    buttons.row->insertWidget(0, m_modify);
    buttons.row->insertWidget(1, m_setStandard);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons.row);
}

void TfFramesConfig::buildMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("pumModify"));
    const auto item = [this](QMenu *menu, const char *text, const char *name, auto handler) {
        QAction *action = menu->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    item(m_menu, "Select all", "mniSelectAll", [this] { selectRange(0, kMaxLinId); });

    QMenu *ranges = m_menu->addMenu(QStringLiteral("Select range..."));
    ranges->setObjectName(QStringLiteral("mniSelectRange"));
    const auto range = [&](const char *text, const char *name) {
        QAction *action = ranges->addAction(QString::fromLatin1(text));
        action->setObjectName(QString::fromLatin1(name));
        // The item's own text names its identifiers.
        connect(action, &QAction::triggered, this, [this, action] {
            if (const auto bounds = ParseIdRange(action->text()))
                selectRange(bounds->first, bounds->second);
        });
    };
    range("0-59", "mniRange0_59");
    ranges->addSeparator();
    range("0-31", "mniRange0_31");
    range("32-47", "mniRange32_47");
    range("48-63", "mniRange48_63");
    m_menu->addSeparator();

    item(m_menu, "Set default values", "mniSetDefaultValues", [this] { setDefaultValues(); });
    QMenu *defaults = m_menu->addMenu(QStringLiteral("Set default ..."));
    defaults->setObjectName(QStringLiteral("mniSetDefault"));
    item(defaults, "Length", "mniDefaultLength", [this] { setColumnDefault(FrameColumn::Length); });
    item(defaults, "Activation", "mniDefaultActivation", [this] {
        setColumnDefault(FrameColumn::Activation);
    });
    item(defaults, "Data fields", "mniDefaultData", [this] {
        setColumnDefault(FrameColumn::DataFields);
    });
    item(defaults, "Checksum type", "mniDefaultChecksum", [this] {
        setColumnDefault(FrameColumn::ChecksumType);
    });
    m_menu->addSeparator();
    item(m_menu, "Modify", "mniModify", [this] { btbModifyClick(); });
}

void TfFramesConfig::setEditable(bool editable)
{
    m_editable = editable;
    m_ok->setEnabled(editable);
    m_modify->setEnabled(editable);
    m_setStandard->setEnabled(editable);
    m_list->setContextMenuPolicy(editable ? Qt::CustomContextMenu : Qt::NoContextMenu);
}

void TfFramesConfig::setLinGroup(const LIN_Group &lin)
{
    m_lin = lin;
    fillAll();
    if (!m_list->selectionModel()->hasSelection())
        m_list->selectionModel()->setCurrentIndex(m_list->model()->index(0, 0),
                                                  QItemSelectionModel::ClearAndSelect
                                                      | QItemSelectionModel::Rows);
}

void TfFramesConfig::applyDefaults()
{
    ApplyDefaultTables(m_lin, m_defaults);
    fillAll();
}

void TfFramesConfig::fillRow(int n)
{
    m_list->setItem(n, LengthColumn, ReadOnlyCell(LengthCellText(m_lin, n), true));
    m_list->setItem(n, ChecksumColumn, ReadOnlyCell(ChecksumCellText(m_lin, n), true));
    m_list->setItem(n, DirectionColumn, ReadOnlyCell(DirectionCellText(m_lin, n), true));
    m_list->setItem(n, DataColumn, ReadOnlyCell(DataCellText(m_lin, n), false));
}

void TfFramesConfig::fillAll()
{
    for (int n = 0; n < kFrameCount; ++n)
        fillRow(n);
}

void TfFramesConfig::selectRange(int from, int to)
{
    const QItemSelection range(m_list->model()->index(from, 0),
                               m_list->model()->index(to, ColumnCount - 1));
    m_list->selectionModel()->select(range, QItemSelectionModel::ClearAndSelect);
}

void TfFramesConfig::setColumnDefault(FrameColumn column)
{
    if (!m_editable)
        return;
    for (const int n : selectedRows()) {
        ApplyColumnDefault(m_lin, m_defaults, n, column);
        fillRow(n);
    }
}

void TfFramesConfig::setDefaultValues()
{
    if (!m_editable)
        return;
    for (const int n : selectedRows()) {
        ApplyFrameDefaults(m_lin, m_defaults, n);
        fillRow(n);
    }
}

void TfFramesConfig::btbModifyClick()
{
    const std::vector<int> rows = selectedRows();
    if (!m_editable || rows.empty())
        return;
    TfFrameEditor editor(this);
    editor.prefill(FrameEditOf(m_lin, rows.front()), rows.size() > 1);
    if (editor.exec() != QDialog::Accepted)
        return;
    const FrameEdit edit = editor.result();
    for (const int m : rows) {
        ApplyFrameEdit(m_lin, m, edit);
        fillRow(m);
    }
}

} // namespace vxl
