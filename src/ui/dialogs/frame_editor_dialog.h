#pragma once

#include "core/editing/frame_rules.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;

namespace vxl {

// Edits the length, checksum model, direction and data of one frame, or of several alike.
class TfFrameEditor : public QDialog
{
    Q_OBJECT

public:
    explicit TfFrameEditor(QWidget *parent = nullptr);

    void prefill(const FrameEdit &values, bool multiple);
    // All eight data bytes, whatever the length; read it after the dialog was confirmed.
    [[nodiscard]] FrameEdit result() const;

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void updateDataFields();

    QComboBox *m_length = nullptr;
    QComboBox *m_format = nullptr;
    QComboBox *m_direction = nullptr;
    std::array<QLineEdit *, kFrameDataBytes> m_data{};
    int m_id = 0;
};

} // namespace vxl
