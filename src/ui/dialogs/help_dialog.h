#pragma once

#include <QDialog>

namespace vxl {

// A dialog whose F1 asks for its page of the help.
class HelpDialog : public QDialog
{
    Q_OBJECT

signals:
    void helpRequested(int context);

protected:
    HelpDialog(int helpContext, QWidget *parent);

    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_helpContext;
};

} // namespace vxl
