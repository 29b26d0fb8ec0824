#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace vxl::test {

// A pseudo-terminal pair standing in for a serial cable: the code under test opens the slave
// through a COM number, the test plays the far end on the master. The slave is registered as
// com<n> in a temporary dosdevices folder, so the port map finds it.
class PtyPair
{
public:
    explicit PtyPair(int comNumber = 1);
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    [[nodiscard]] bool isValid() const { return m_master >= 0; }
    [[nodiscard]] int masterFd() const { return m_master; }
    [[nodiscard]] QString slavePath() const { return m_slavePath; }
    [[nodiscard]] QString dosDevices() const { return m_dir.path(); }
    [[nodiscard]] int comNumber() const { return m_comNumber; }

    // Writes to the far end; true when every byte went out.
    bool write(const QByteArray &bytes);
    // Reads what the code under test sent, waiting up to timeoutMs for at least `atLeast` bytes.
    QByteArray read(int atLeast, int timeoutMs = 1000);
    // Everything available now (after a short settle).
    QByteArray readAvailable(int settleMs = 50);
    // Closes the far end, as an unplugged adapter would look.
    void closeMaster();

private:
    QTemporaryDir m_dir;
    int m_master = -1;
    int m_slaveKeep = -1;
    int m_comNumber;
    QString m_slavePath;
};

} // namespace vxl::test
