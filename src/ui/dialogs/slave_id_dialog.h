#pragma once

#include "core/module/module_config.h"
#include "ui/dialogs/help_dialog.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vxl {

// " Slave ID and Data Configuration": the slave ID entry of a LIN group (identifier, whether the
// module answers it, up to eight data bytes). Reads the record it is filled from and never
// writes into it; after OK the caller takes the three results. A view-only dialog can be looked
// at but not changed nor confirmed.
class TfSlaveIDConfig : public HelpDialog
{
    Q_OBJECT

public:
    static constexpr int kHelpContext = 240;

    explicit TfSlaveIDConfig(QWidget *parent = nullptr, bool editable = true);
    ~TfSlaveIDConfig() override;

    // Fills the fields from the record's slave ID entry; its frame lengths decide which data
    // fields are open.
    void fill(const LIN_Group &lin);

    // The results: the ID field's text, whether "Enabled" is chosen, the eight data fields'
    // texts joined (16 hexadecimal digits).
    [[nodiscard]] QString idText() const;
    [[nodiscard]] bool isEnabledChosen() const;
    [[nodiscard]] QString dataText() const;

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateDataFields();

    LIN_Group m_source;
    bool m_editable = true;
    QLineEdit *m_id = nullptr;
    QRadioButton *m_enabled = nullptr;
    QRadioButton *m_disabled = nullptr;
    QLabel *m_dataLabel = nullptr;
    std::array<QLineEdit *, kFrameDataBytes> m_data{};
    std::array<QLabel *, kFrameDataBytes> m_dataLabels{};
    QPushButton *m_ok = nullptr;
};

} // namespace vxl
