#include "ui/dialogs/connect_dialog.h"

#include "core/link/bit_rates.h"
#include "core/link/serial_port.h"
#include "core/operations/connection.h"
#include "ui/widgets/dialog_buttons_widget.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vxl {

namespace {

const QString kNoPort = QStringLiteral("None");

} // namespace

TfInitConnect::TfInitConnect(QWidget *parent, int scanCount, int preselectPort, ComPortMap map)
    : QDialog(parent)
    , m_map(std::move(map))
    , m_scanCount(std::clamp(scanCount, 0, kHighestScanCount))
    , m_preselect(preselectPort)
{
    setObjectName(QStringLiteral("TfInitConnect"));
    setWindowTitle(QStringLiteral("Connect..."));
    // A caption only: the dialog is left with OK or Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("cbAvaConnect"));
    m_ports->setMinimumWidth(110);
    connect(m_ports, &QComboBox::currentIndexChanged, this, &TfInitConnect::showSelectedDevice);

    m_rates = new QComboBox(this);
    m_rates->setObjectName(QStringLiteral("cbBaudR"));
    m_rates->setToolTip(QStringLiteral("Allowed COM bitrates for a VEXA-LIN connection"));
    m_rates->addItems(BitRateItems());
    m_rates->setCurrentIndex(kDefaultRateIndex);

    m_refresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("btbRefresh"));
    m_refresh->setToolTip(QStringLiteral("Searchs for available COM ports "));
    m_refresh->setAutoDefault(false);
    connect(m_refresh, &QPushButton::clicked, this, &TfInitConnect::spbRefreshClick);

    // Linux names its serial devices by path: show which device the chosen number opens.
    m_device = new QLabel(this);
    m_device->setObjectName(QStringLiteral("laDevicePath"));
    m_device->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_refused = new QLabel(this);
    m_refused->setObjectName(QStringLiteral("laRefusedPorts"));
    m_refused->hide();

    const DialogButtons buttons = MakeDialogButtons(this);
    m_ok = buttons.ok;

    auto *fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("COM:"), this), 0, 0);
    fields->addWidget(m_ports, 0, 1);
    fields->addWidget(m_refresh, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("Bit rate:"), this), 1, 0);
    fields->addWidget(m_rates, 1, 1);
    fields->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(fields);
    layout->addWidget(m_device);
    layout->addWidget(m_refused);
    layout->addLayout(buttons.row);

    spbRefreshClick();
}

void TfInitConnect::selectBitRate(int rate)
{
    m_rates->setCurrentIndex(BitRateIndex(rate));
}

void TfInitConnect::setScanCount(int count)
{
    m_scanCount = std::clamp(count, 0, kHighestScanCount);
    spbRefreshClick();
}

int TfInitConnect::chosenPort() const
{
    bool isNumber = false;
    const int port = m_ports->currentText().toInt(&isNumber);
    return isNumber ? port : 0;
}

int TfInitConnect::chosenRate() const
{
    return BitRateAt(m_rates->currentIndex());
}

void TfInitConnect::spbRefreshClick()
{
    m_ports->clear();
    setWindowTitle(QStringLiteral("Searching available ports... wait"));

    QString list;
    int refused = 0;
    const int count = clsSrlPort::ListPorts(list, m_scanCount, m_map, &refused);
    m_ok->setEnabled(count > 0);
    if (count > 0)
        m_ports->addItems(list.split(QLatin1Char(',')));
    else
        m_ports->addItem(kNoPort);
    const int preselected = m_ports->findText(QString::number(m_preselect));
    m_ports->setCurrentIndex(std::max(preselected, 0));
    showRefused(refused);

    setWindowTitle(QStringLiteral("Connect... (scanning %1 ports)").arg(m_scanCount));
}

void TfInitConnect::showSelectedDevice()
{
    const int port = chosenPort();
    if (port == 0) {
        m_device->setText(QStringLiteral("No COM port can be opened"));
        m_ports->setToolTip(QString());
        return;
    }
    const QString path = m_map.devicePath(port);
    const QString target = QFileInfo(path).canonicalFilePath();
    const QString device = target.isEmpty() ? path : target;
    m_device->setText(QStringLiteral("COM%1 = %2").arg(port).arg(device));
    m_ports->setToolTip(device);
}

void TfInitConnect::showRefused(int refused)
{
    m_refused->setVisible(refused > 0);
    if (refused <= 0)
        return;
    const QString ports = refused == 1 ? QStringLiteral("1 port was")
                                       : QStringLiteral("%1 ports were").arg(refused);
    m_refused->setText(ports
                       + QStringLiteral(" refused for lack of permission.\n"
                                        "Membership of the group \"dialout\" gives access."));
}

} // namespace vxl
