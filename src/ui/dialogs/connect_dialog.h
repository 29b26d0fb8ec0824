#pragma once

#include "core/link/com_port_map.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace vxl {

// "Connect...": the COM ports that can be opened now and the bit rate to connect with. Scans
// when created and on "Refresh"; kept across retries, so showing it again keeps list and choice.
class TfInitConnect : public QDialog
{
    Q_OBJECT

public:
    // Port numbers and scan counts are single bytes in the stored settings.
    static constexpr int kHighestScanCount = 255;

    TfInitConnect(QWidget *parent, int scanCount, int preselectPort, ComPortMap map);

    void selectBitRate(int rate);
    // Sets how many COM numbers are probed, and probes them again.
    void setScanCount(int count);
    [[nodiscard]] int scanCount() const { return m_scanCount; }

    // The selected list item as a number: 0 when it is "None".
    [[nodiscard]] int chosenPort() const;
    [[nodiscard]] int chosenRate() const;

private:
    void spbRefreshClick();
    void showSelectedDevice();
    void showRefused(int refused);

    ComPortMap m_map;
    int m_scanCount = 0;
    int m_preselect = 0;
    QComboBox *m_ports = nullptr;
    QComboBox *m_rates = nullptr;
    QLabel *m_device = nullptr;
    QLabel *m_refused = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_refresh = nullptr;
};

} // namespace vxl
