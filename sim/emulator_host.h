#pragma once

#include "sim/module_model.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vxl::sim {

struct EmulatorOptions
{
    Identity identity;
    std::uint32_t rate = ModuleModel::kFactoryRate; // the module's RS-232 rate at power-up
    StartupStyle startupStyle = StartupStyle::CarriageReturn;
    bool pacing = true;      // output paced at 10 bits per byte of the line rate
    int comNumber = 0;       // registered as com<n> in dosDevices when above 0
    QString dosDevices;      // empty: the user's own folder
    QString transcriptFile;  // empty: no file
    int randomTrafficMs = 0; // above 0: a random message of the module's own this often
    int floodIds = 0;        // above 0: fill the line with CAN frames over this many identifiers
};

// One line of the transcript: a request the module received or a message it sent.
struct TranscriptEntry
{
    double ms = 0;         // since the emulator started, 0.1 ms resolution
    bool received = false; // true: a request from the tool
    QString text;          // the frame as the console shows it
    int group = -1;        // requests only
    int command = -1;
    int sequence = -1;
    QByteArray data;
    bool checksumOk = true;
};

// The module behind a pseudo-terminal, on a thread of its own. The tool opens the other end as
// an ordinary COM port.
class EmulatorHost
{
public:
    explicit EmulatorHost(EmulatorOptions options = {});
    ~EmulatorHost();
    EmulatorHost(const EmulatorHost &) = delete;
    EmulatorHost &operator=(const EmulatorHost &) = delete;

    bool start();
    void stop();

    [[nodiscard]] int comNumber() const { return m_options.comNumber; }
    [[nodiscard]] QString devicePath() const { return m_slavePath; }
    [[nodiscard]] QString linkPath() const { return m_linkPath; }
    [[nodiscard]] bool toolPresent() const { return m_toolPresent.load(); }

    // Runs f on the module under its lock (read or change its state).
    template<typename F>
    auto withModel(F &&f)
    {
        std::lock_guard lock(m_mutex);
        return f(m_model);
    }
    [[nodiscard]] ModuleConfig config();

    // Faults.
    void setSilent(bool silent);
    void dropReply(int nth);    // the nth reply from now on (1 = the next) is not sent
    void silentFrom(int nth);   // from the nth reply from now on, nothing is sent: a module gone
    void corruptReply(int nth); // the nth reply from now on goes out with a wrong checksum
    void setReplyDelayMs(int ms);
    void sendGarbage(const QByteArray &bytes);
    void forceReturnCode(int group, int command, std::uint8_t code);
    // The module leaves the line (hears and says nothing) and comes back after `ms` as after a
    // power loss.
    void dropOff(int ms);
    // Start-up texts from now on stop short of their end (no carriage return, too few bytes).
    void setStartupTextCut(bool cut);

    // Traffic on request.
    void sendOwnMessage(const LIN_Msg &msg);
    void setFlood(int distinctIds);
    // Messages of the module's own written to the line so far (traffic, flood, on request).
    [[nodiscard]] std::uint64_t ownMessagesSent() const { return m_ownSent.load(); }

    [[nodiscard]] std::vector<TranscriptEntry> transcript() const;
    [[nodiscard]] std::vector<TranscriptEntry> requests() const;
    void clearTranscript();
    void setTranscriptCallback(std::function<void(const TranscriptEntry &)> callback);

private:
    void run();
    void handleBytes(const char *bytes, int count);
    void handleRequest(const LIN_Msg &request, bool checksumOk);
    void sendOutput(const Output &output, bool isReply);
    void writePaced(const QByteArray &bytes, std::uint32_t rate);
    void record(TranscriptEntry entry);
    void checkToolPresence();
    void runTraffic();
    [[nodiscard]] std::uint32_t toolRate() const;
    [[nodiscard]] double elapsedMs() const;
    void wake();
    [[nodiscard]] bool absentLocked();

    EmulatorOptions m_options;
    std::mutex m_mutex; // the model, faults and pending messages
    ModuleModel m_model;

    int m_master = -1;
    int m_slave = -1;
    int m_wake[2] = {-1, -1};
    QString m_slavePath;
    QString m_linkPath;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_toolPresent{false};
    std::atomic<std::uint64_t> m_ownSent{0};
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lineFree;

    // Request assembly.
    QByteArray m_pending;

    // Faults and queued traffic (under m_mutex).
    bool m_silent = false;
    int m_dropAt = 0;
    int m_silentFrom = 0;
    int m_corruptAt = 0;
    int m_repliesSeen = 0;
    int m_delayMs = 0;
    QByteArray m_garbage;
    std::vector<LIN_Msg> m_outbox;
    int m_floodIds = 0;
    int m_floodNext = 0;
    std::chrono::steady_clock::time_point m_absentUntil;
    bool m_absent = false;
    bool m_startupCut = false;

    // Scheduler and random traffic (emulator thread only).
    int m_schedulerIndex = 0;
    std::chrono::steady_clock::time_point m_nextScheduled;
    std::chrono::steady_clock::time_point m_nextRandom;
    std::uint32_t m_randomState = 12345;

    mutable std::mutex m_transcriptMutex;
    std::vector<TranscriptEntry> m_transcript;
    std::function<void(const TranscriptEntry &)> m_callback;
};

} // namespace vxl::sim
