#pragma once

#include "core/editing/can_filter.h"
#include "ui/dialogs/help_dialog.h"

#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vxl {

// " CAN Filter Configuration": the SJA1000 acceptance code and mask, edited as the eight
// register bytes or computed from an identifier range (11 or 29 bits) or from an
// identifier-level code and mask. Works on its own copy; the caller reads code and mask after
// OK. While a mode panel is open the dialog cannot be confirmed.
class TfCanFilterConfig : public HelpDialog
{
    Q_OBJECT

public:
    static constexpr int kHelpContext = 250;

    TfCanFilterConfig(QWidget *parent, std::uint32_t code, std::uint32_t mask);
    ~TfCanFilterConfig() override;

    [[nodiscard]] std::uint32_t acceptanceCode() const { return m_filter.code; }
    [[nodiscard]] std::uint32_t acceptanceMask() const { return m_filter.mask; }

    void accept() override;

private:
    enum Mode { Range11, Range29, Monitor, ModeCount };

    void buildRegisters();
    QWidget *buildRangePanel(bool extended);
    QWidget *buildMonitorPanel();
    // A hexadecimal field of `digits` digits, normalised when left and limited when `limited`.
    QLineEdit *hexField(const char *name, const QString &text, int digits, bool limited);
    void normalise(QLineEdit *field, bool limited) const;
    void showRegisters();
    void readRegisters();
    void modeClicked(Mode mode, bool pressed);
    void closeModes();
    void applyRange(bool extended);
    void applyMonitor();
    void displayAsChanged(bool extended);
    [[nodiscard]] int idLevelDigits() const;

    CanFilter m_filter;
    std::array<QLineEdit *, 4> m_code{};
    std::array<QLineEdit *, 4> m_mask{};
    std::array<QPushButton *, ModeCount> m_modeButtons{};
    std::array<QWidget *, ModeCount> m_panels{};
    std::array<QLineEdit *, 2> m_from{};
    std::array<QLineEdit *, 2> m_to{};
    std::array<QRadioButton *, 2> m_rtr{};
    std::array<QRadioButton *, 2> m_both{};
    QLineEdit *m_accCode = nullptr;
    QLineEdit *m_accMask = nullptr;
    QRadioButton *m_display29 = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace vxl
