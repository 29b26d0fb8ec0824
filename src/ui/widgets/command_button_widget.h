#pragma once

#include <QPushButton>
#include <QString>
#include <QTableWidgetItem>

#include <functional>

namespace vxl {

// A named button with its hint, that does not become the default button by taking focus.
[[nodiscard]] QPushButton *CommandButton(const QString &name,
                                         const QString &text,
                                         const QString &hint,
                                         QWidget *parent);
// Runs the action on each click with the button disabled meanwhile, so that a second click
// cannot start it again while it runs (boxes keep the event loop going).
void OnClickOnce(QPushButton *button, std::function<void()> action);
// A read-only table cell.
[[nodiscard]] QTableWidgetItem *ReadOnlyCell(const QString &text, bool centred);

} // namespace vxl
