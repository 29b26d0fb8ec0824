#pragma once

#include "core/editing/profile_editor_model.h"
#include "core/profiles/profile_document.h"
#include "ops_fixture.h"
#include "soak/soak_rules.h"
#include "soak/soak_step.h"

#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>

namespace vxl::soak {

using test::OpsRig;
using test::ScriptedOperator;

struct Violation
{
    QString invariant;
    QString detail;
};

// Totals of a run, over every session it used.
struct Figures
{
    long steps = 0;
    long checks = 0;
    std::map<QString, long> faults; // by kind
    // When set, only the invariants whose name holds this text are checked (a hunt for one
    // fault).
    QString only;
    // Invariants not checked: faults known and still open, whose lists wait in
    // tests/soak/open/ until they are mended.
    QStringList skipped;
};

// One user at the tool against two emulated modules (COM5 and COM6), driven a step at a time.
// Between steps it watches what invariants need to see: the engine's tick count, every request
// the modules receive, the boxes the user is shown.
class Session
{
public:
    static constexpr int kPorts[2] = {5, 6};

    explicit Session(Figures &figures, int timeoutSeconds = 4);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Waits for the step's anchor (or for idle), runs it and checks every invariant.
    [[nodiscard]] std::optional<Violation> run(const Step &step);
    // Lets the last exchange end, then checks once more.
    [[nodiscard]] std::optional<Violation> finish();

    // For the actions.
    Operations &ops() { return m_rig.ops(); }
    ScriptedOperator &op() { return m_rig.op(); }
    sim::EmulatorHost &host(int index) { return index == 0 ? m_rig.host() : *m_second; }
    // The module on the port the tool is connected to, if any.
    sim::EmulatorHost *connectedHost();
    [[nodiscard]] int hostIndexOfPort(int port) const;
    void setTimeout(int seconds);
    void noteFault(const QString &kind);
    void expectRead();
    // The current profile is what a send about to start will send.
    void noteSend();
    [[nodiscard]] const Step &currentStep() const { return m_step; }

    // The profile being edited, as the profiles view holds it.
    clsVLINXMLProfile &document() { return m_document; }
    ProfileEditorModel &editor() { return m_editor; }
    // The editor's values become the current profile (and the document's).
    void profileChanged();
    void profileSaved(const QString &path);
    [[nodiscard]] QString profilePath(const QString &name) const;
    // The values saved last to `path`, if the session saved it.
    [[nodiscard]] std::optional<ModuleConfig> savedValues(const QString &path) const;
    // The module's state with its identity, as the comparison needs it.
    [[nodiscard]] ModuleConfig moduleState(sim::EmulatorHost &module);

    // Findings of the hooks, taken by the invariant table.
    std::map<QString, QString> findings;
    void find(const QString &invariant, const QString &detail);

private:
    struct Request
    {
        int host;
        int group;
        int command;
    };

    void watchRequests(int hostIndex);
    void watchBoxes();
    void observe();
    void observeRequests();
    void observeTicks();
    void checkNewProfiles();
    void checkRefusals(const ModuleConfig &profile,
                       const std::vector<sim::TranscriptEntry> &transcript);
    void checkRead();
    void onSendReported();
    // Polls until `done`, the tool idle for a moment, or the highest Timeout and a little more
    // counted in the harness's own ticks.
    bool waitUntil(const std::function<bool()> &done);
    void waitForAnchor(const Step &step);
    [[nodiscard]] bool busy();
    [[nodiscard]] std::optional<Violation> checkInvariants();

    Figures &m_figures;
    OpsRig m_rig;
    std::unique_ptr<sim::EmulatorHost> m_second;
    QTemporaryDir m_files;
    clsVLINXMLProfile m_document;
    ProfileEditorModel m_editor;
    std::map<QString, ModuleConfig> m_saved;
    int m_profileVersion = 0;
    int m_sentVersion = -1;
    std::optional<ModuleConfig> m_sent;

    Step m_step;
    Writes m_stepWrites = Writes::Never;
    std::size_t m_boxesSeen = 0;
    std::size_t m_newProfilesSeen = 0;

    std::mutex m_requestsMutex; // the modules' threads add, this one takes
    std::vector<Request> m_incoming;
    std::atomic<long> m_requestCount{0};
    long m_requestsAtStepStart = 0;
    // The connection confirmations each module has heard, in all and when the step began.
    std::array<std::atomic<long>, 2> m_confirmationsHeard{};
    std::array<long, 2> m_confirmationsAtStepStart{};
    bool m_writesAllowed = false;

    struct ReadExpectation
    {
        int host;
        int faultsAtConnect;
    };
    std::optional<ReadExpectation> m_expectRead;
    bool m_readSeen = false;
    int m_faultCount = 0;

    int m_lastTicks = 0;
    int m_highestTimeout = 0;
    QTimer m_harnessClock;
    int m_harnessTicks = 0;
    int m_uncountedSeconds = 0; // busy while the engine counts nothing
};

} // namespace vxl::soak
