#pragma once

#include <QPushButton>
#include <QString>
#include <QTableWidgetItem>

namespace vxl {

// A named button with its hint and picture, that does not become the default button by taking
// focus.
[[nodiscard]] QPushButton *CommandButton(const QString &name,
                                         const QString &text,
                                         const QString &hint,
                                         QWidget *parent);
// A read-only table cell.
[[nodiscard]] QTableWidgetItem *ReadOnlyCell(const QString &text, bool centred);

} // namespace vxl
