#include "soak/soak_session.h"

#include "cli/profile_compare.h"
#include "core/link/lin_port.h"
#include "core/operations/connection.h"
#include "core/operations/profile_send.h"
#include "soak/soak_actions.h"
#include "soak/soak_invariants.h"

#include <QFileInfo>
#include <QTest>

namespace vxl::soak {

namespace {

// The harness runs thousands of steps: the requests leave 1 ms apart and the emulator answers
// at once.
constexpr auto kHarnessPacing = std::chrono::milliseconds(1);
constexpr int kPollMs = 5;
constexpr int kQuietPolls = 6;

sim::EmulatorOptions moduleOptions(int comNumber)
{
    sim::EmulatorOptions options;
    options.identity.firmware = Firmwares().front();
    options.pacing = false;
    options.comNumber = comNumber;
    return options;
}

VXLIN_Values settingsWith(int timeoutSeconds)
{
    VXLIN_Values settings = OpsRig::fastSettings();
    settings.Timeout = timeoutSeconds;
    return settings;
}

// The first module starts with scheduler entries, so that reads, Adjust and the send have
// something to carry over, and enough of them that an interruption anchored at random often
// falls among their reads; they are in its flash memory too, so that a reset or a power cut
// brings them back after a send or Discard emptied them. The second starts empty.
void giveEntries(sim::ModuleModel &model)
{
    constexpr int kEntries = 20;
    auto &lin = model.Config().LIN;
    lin.SchedulerCount = kEntries;
    for (int i = 0; i < kEntries; ++i)
        lin.SchedulerEntries[std::size_t(i)] = {std::uint16_t(50 + 10 * i), std::uint8_t(i + 1)};
    model.CopyToFlash();
}

} // namespace

Session::Session(Figures &figures, int timeoutSeconds)
    : m_figures(figures)
    , m_rig(moduleOptions(kPorts[0]), settingsWith(timeoutSeconds))
    , m_highestTimeout(timeoutSeconds)
{
    ops().Link().SetSendInterval(kHarnessPacing);
    ops().Link().RecordWrites(true);
    sim::EmulatorOptions second = moduleOptions(kPorts[1]);
    second.dosDevices = QFileInfo(m_rig.host().linkPath()).path();
    m_second = std::make_unique<sim::EmulatorHost>(second);
    m_second->start();
    m_rig.host().withModel([](sim::ModuleModel &model) { giveEntries(model); });
    watchRequests(0);
    watchRequests(1);
    watchBoxes();
    m_document.LoadDefault();
    m_harnessClock.setInterval(1000);
    QObject::connect(&m_harnessClock, &QTimer::timeout, [this] {
        ++m_harnessTicks;
        const bool uncounted = busy() && !ops().Engine().TimerRunning();
        m_uncountedSeconds = uncounted ? m_uncountedSeconds + 1 : 0;
    });
    m_harnessClock.start();
}

Session::~Session()
{
    for (int i = 0; i < 2; ++i)
        host(i).setTranscriptCallback({});
    op().whileOpen = {};
    ops().Link().Disconnect();
}

void Session::watchRequests(int hostIndex)
{
    host(hostIndex).setTranscriptCallback([this, hostIndex](const sim::TranscriptEntry &entry) {
        if (!entry.received)
            return;
        if (entry.group == 3 && entry.command == 1 && entry.sequence == clsLinPort::kConfirmSequence)
            ++m_confirmationsHeard[std::size_t(hostIndex)];
        std::lock_guard lock(m_requestsMutex);
        m_incoming.push_back({hostIndex, entry.group, entry.command});
        ++m_requestCount;
    });
}

void Session::watchBoxes()
{
    op().whileOpen = [this](BoxKind kind, const QString &text) {
        const bool question = kind == BoxKind::Question || kind == BoxKind::Confirmation;
        if (question && op().defaultAnswer == BoxResult::Yes && m_stepWrites == Writes::AfterYes) {
            // What reached the module before the answer was written without it.
            observeRequests();
            m_writesAllowed = true;
        }
        if (kind == BoxKind::Information
            && text.startsWith(QLatin1String("The Profile was successfully sent")))
            onSendReported();
    };
}

sim::EmulatorHost *Session::connectedHost()
{
    if (!ops().IsConnected())
        return nullptr;
    const int index = hostIndexOfPort(ops().Conn().CurrentPort());
    return index < 0 ? nullptr : &host(index);
}

int Session::hostIndexOfPort(int port) const
{
    for (int i = 0; i < 2; ++i) {
        if (kPorts[i] == port)
            return i;
    }
    return -1;
}

void Session::setTimeout(int seconds)
{
    m_rig.setTimeout(seconds);
    m_highestTimeout = std::max(m_highestTimeout, seconds);
}

void Session::noteFault(const QString &kind)
{
    ++m_figures.faults[kind];
    ++m_faultCount;
}

void Session::expectRead()
{
    const int index = hostIndexOfPort(ops().Conn().CurrentPort());
    if (!ops().IsConnected() || index < 0)
        return;
    // Any message confirms a connection: a frame of the module's own, or a late answer to a
    // request of the connection before. A module that has not heard this connection's
    // confirmation yet is still busy with what came before it (or hears the line at another
    // rate), and its read comes after that, not within the step.
    const auto i = std::size_t(index);
    if (m_confirmationsHeard[i].load() == m_confirmationsAtStepStart[i])
        return;
    // The requests seen since the step began count: an action may start the read before it
    // returns (Check Connection does).
    m_expectRead = ReadExpectation{index, m_faultCount};
    m_readSeen = false;
}

void Session::noteSend()
{
    m_sent = op().profile;
    m_sentVersion = m_profileVersion;
}

void Session::profileChanged()
{
    m_document.WriteAll(m_editor.Profile().RS232.Baudrate,
                        m_editor.Profile().CAN,
                        m_editor.Profile().LIN);
    op().profile = m_editor.Profile();
    ++m_profileVersion;
}

void Session::profileSaved(const QString &path)
{
    ModuleConfig values;
    m_document.ReadAll(&values.RS232.Baudrate, &values.CAN, &values.LIN);
    m_saved[path] = values;
}

QString Session::profilePath(const QString &name) const
{
    return m_files.filePath(name);
}

std::optional<ModuleConfig> Session::savedValues(const QString &path) const
{
    const auto found = m_saved.find(path);
    if (found == m_saved.end())
        return std::nullopt;
    return found->second;
}

ModuleConfig Session::moduleState(sim::EmulatorHost &module)
{
    return module.withModel([](sim::ModuleModel &model) {
        ModuleConfig state = model.Config();
        state.Module.FirmwareText = model.GetIdentity().firmware;
        state.Module.HardwareText = model.GetIdentity().hardware;
        state.Module.BuildMode = model.BuildMode();
        return state;
    });
}

void Session::find(const QString &invariant, const QString &detail)
{
    findings.try_emplace(invariant, detail);
}

void Session::onSendReported()
{
    auto *module = connectedHost();
    // A profile edited while the send ran is not the one it sent.
    if (!module || !m_sent || m_sentVersion != m_profileVersion)
        return;
    ModuleConfig prepared = *m_sent;
    PrepareProfileForSend(prepared, ops().ModuleCopy());
    const QStringList differences = cli::ProfileDifferences(prepared, moduleState(*module));
    if (!differences.isEmpty())
        find(kSendLeavesProfile, differences.join(QLatin1String("; ")));
}

void Session::observe()
{
    observeRequests();
    observeTicks();
    checkNewProfiles();
}

void Session::observeRequests()
{
    std::vector<Request> requests;
    {
        std::lock_guard lock(m_requestsMutex);
        requests.swap(m_incoming);
    }
    for (const Request &request : requests) {
        if (qEnvironmentVariableIsSet("SOAK_VERBOSE"))
            qInfo("    COM%d <- %d/%d", kPorts[request.host], request.group, request.command);
        if (m_expectRead && request.host == m_expectRead->host && request.group == 3
            && request.command == 0)
            m_readSeen = true;
    }
    // Judged when the tool wrote them, not when a module slowed down by late replies gets to
    // read them: by then the next step may have begun.
    for (const SentRequest &write : ops().Link().TakeWrites()) {
        const int group = write.msg.code >> 6;
        const int command = write.msg.code & 0x3F;
        if (!write.ok || m_writesAllowed || !IsWriteRequest(group, command))
            continue;
        find(kWritesOnlyWhenAsked,
             QStringLiteral("request %1/%2 was written to COM%3 while no writing action ran")
                 .arg(group)
                 .arg(command)
                 .arg(ops().Link().ConnectedPort()));
    }
}

bool Session::busy()
{
    auto &engine = ops().Engine();
    for (int k = 0; k < kTransactionKinds; ++k) {
        if (engine.IsActive(TransactionKind(k)))
            return true;
    }
    return false;
}

void Session::observeTicks()
{
    const int ticks = ops().Engine().TickCount();
    if (ticks != m_lastTicks) {
        m_lastTicks = ticks;
        const int limit = ops().Settings().Timeout;
        if (busy() && ticks >= limit)
            find(kTimeoutAtLimit,
                 QStringLiteral("the exchange counted %1 ticks with Timeout %2 in force and did "
                                "not time out")
                     .arg(ticks)
                     .arg(limit));
    }
    if (m_uncountedSeconds > m_highestTimeout + 1)
        find(kNoExchangeOutlasts,
             QStringLiteral("busy for %1 s with no time-out counting").arg(m_uncountedSeconds));
}

void Session::checkNewProfiles()
{
    auto &made = op().newProfiles;
    while (m_newProfilesSeen < made.size()) {
        const ModuleConfig profile = made[m_newProfilesSeen++];
        if (auto *module = connectedHost())
            checkRefusals(profile, module->transcript());
        m_document.LoadDefault();
        m_editor.Load(profile);
        profileChanged();
    }
}

void Session::checkRefusals(const ModuleConfig &profile,
                            const std::vector<sim::TranscriptEntry> &transcript)
{
    const ModuleConfig defaults = DefaultProfileValues();
    for (const RefusableValue &value : RefusableValues()) {
        // The module's last answer to this read: the entry right after the request.
        for (auto it = transcript.rbegin(); it != transcript.rend(); ++it) {
            if (!it->received || it->group != value.group || it->command != value.readCommand)
                continue;
            const auto reply = it.base();
            const bool refused = reply != transcript.end() && !reply->received
                                 && reply->data.size() == 1;
            if (refused && value.value(profile) != value.value(defaults))
                find(kRefusedStaysOut,
                     QStringLiteral("%1 refused with code %2 became %3 in the profile")
                         .arg(QLatin1String(value.name))
                         .arg(int(std::uint8_t(reply->data.at(0))))
                         .arg(value.value(profile)));
            break;
        }
    }
}

void Session::checkRead()
{
    if (!m_expectRead)
        return;
    observeRequests();
    // A step anchored at the connection's first request runs as soon as the module has it, while
    // the read may still be on its way: it is waited for as any exchange is.
    if (!m_readSeen)
        waitUntil([this] { return m_readSeen; });
    const bool faultSince = m_faultCount != m_expectRead->faultsAtConnect;
    if (!m_readSeen && !faultSince)
        find(kConnectionReads,
             QStringLiteral("COM%1 confirmed the connection but was never read")
                 .arg(kPorts[m_expectRead->host]));
    m_expectRead.reset();
}

bool Session::waitUntil(const std::function<bool()> &done)
{
    const int start = m_harnessTicks;
    int quiet = 0;
    while (m_harnessTicks - start <= m_highestTimeout + 3) {
        QTest::qWait(kPollMs);
        observe();
        if (done())
            return true;
        const bool idle = ops().IsIdle() && ops().Link().OutgoingCount() == 0;
        quiet = idle ? quiet + 1 : 0;
        if (quiet >= kQuietPolls)
            return true;
    }
    if (busy())
        find(kNoExchangeOutlasts,
             QStringLiteral("still busy %1 s after the step, the highest Timeout being %2")
                 .arg(m_harnessTicks - start)
                 .arg(m_highestTimeout));
    return false;
}

void Session::waitForAnchor(const Step &step)
{
    auto &engine = ops().Engine();
    if (step.afterRequest > 0) {
        const long target = m_requestsAtStepStart + step.afterRequest;
        waitUntil([this, target] { return m_requestCount.load() >= target; });
        return;
    }
    if (step.afterTick > 0) {
        waitUntil([&engine, &step] { return engine.TickCount() >= step.afterTick; });
        return;
    }
    waitUntil([] { return false; });
}

std::optional<Violation> Session::checkInvariants()
{
    for (const Invariant &invariant : Invariants()) {
        if (!m_figures.only.isEmpty() && !QLatin1String(invariant.name).contains(m_figures.only))
            continue;
        // A hunt for one invariant checks it even when its fault is open.
        if (m_figures.only.isEmpty() && m_figures.skipped.contains(QLatin1String(invariant.name)))
            continue;
        ++m_figures.checks;
        if (auto detail = invariant.check(*this))
            return Violation{QLatin1String(invariant.name), *detail};
    }
    return std::nullopt;
}

std::optional<Violation> Session::run(const Step &step)
{
    ++m_figures.steps;
    waitForAnchor(step);
    checkRead();
    if (auto violation = checkInvariants())
        return violation;
    const Action *action = FindAction(step.action);
    if (!action)
        return Violation{QStringLiteral("replay"), QStringLiteral("no action ") + step.action};
    // A window for writes closes with the exchange, or with the connection, that opened it.
    if (!busy() || !ops().IsConnected()) {
        observeRequests();
        m_writesAllowed = false;
        m_highestTimeout = ops().Settings().Timeout;
    }
    m_step = step;
    m_stepWrites = action->writes;
    op().defaultAnswer = step.arg(0, 4) == 0 ? BoxResult::No : BoxResult::Yes;
    if (action->writes == Writes::Directly) {
        observeRequests();
        m_writesAllowed = true;
    }
    observeRequests();
    m_requestsAtStepStart = m_requestCount.load();
    for (std::size_t i = 0; i < m_confirmationsHeard.size(); ++i)
        m_confirmationsAtStepStart[i] = m_confirmationsHeard[i].load();
    action->run(*this, step);
    if (qEnvironmentVariableIsSet("SOAK_VERBOSE"))
        qInfo("%s: connected %d busy %d ticks %d Timeout %d",
              qPrintable(step.text()),
              int(ops().IsConnected()),
              int(busy()),
              ops().Engine().TickCount(),
              ops().Settings().Timeout);
    if (qEnvironmentVariableIsSet("SOAK_VERBOSE") && !op().boxes.empty())
        qInfo("  last box: %s", qPrintable(op().boxes.back().text));
    observe();
    return checkInvariants();
}

std::optional<Violation> Session::finish()
{
    waitUntil([] { return false; });
    checkRead();
    observe();
    return checkInvariants();
}

} // namespace vxl::soak
