#include "sim/module_values.h"

#include <array>
#include <type_traits>

namespace vxl::sim {

namespace {

constexpr int kNone = -1;

// What a set takes; anything else is refused with the return code the limit names.
enum class Limit : std::uint8_t {
    Any,          // every value
    ZeroOrOne,    // 0 or 1, else out of range
    Range,        // low..high, else out of range
    OnlyBits,     // only the bits of high, else a bad forward mask
    MasterSwitch, // 0 or 1, and switching on needs a scheduler entry
};

// Which firmware and build offer a value.
enum class Offered : std::uint8_t { Always, WithErrorId, WithSlaveActivation };

using Getter = std::uint64_t (*)(const ModuleConfig &);
using Putter = void (*)(ModuleConfig &, std::uint64_t);

// A member of one group of the configuration, or one element of it (an error counter). A whole
// array of 16-bit values (the LIN message time-outs) is one value, its first element lowest.
template<auto Group, auto Member, int Index = -1>
struct FieldOf
{
    template<typename Config>
    static auto &field(Config &config)
    {
        if constexpr (Index < 0)
            return (config.*Group).*Member;
        else
            return ((config.*Group).*Member)[std::size_t(Index)];
    }
    static std::uint64_t get(const ModuleConfig &config)
    {
        const auto &source = field(config);
        if constexpr (std::is_integral_v<std::remove_cvref_t<decltype(source)>>) {
            return source;
        } else {
            std::uint64_t value = 0;
            for (auto it = source.rbegin(); it != source.rend(); ++it)
                value = (value << 16) | *it;
            return value;
        }
    }
    static void put(ModuleConfig &config, std::uint64_t value)
    {
        auto &target = field(config);
        if constexpr (std::is_integral_v<std::remove_cvref_t<decltype(target)>>) {
            target = static_cast<std::remove_cvref_t<decltype(target)>>(value);
        } else {
            for (std::uint16_t &element : target)
                element = static_cast<std::uint16_t>(value >> (16 * (&element - target.data())));
        }
    }
};

template<auto Group, int Index>
using CounterOf
    = FieldOf<Group, &std::remove_reference_t<decltype(ModuleConfig{}.*Group)>::ErrorCounters, Index>;

// The RS-232 bit rate as it travels (115200 does not fit 16 bits).
struct Rs232WireRate
{
    static std::uint64_t get(const ModuleConfig &config)
    {
        return Rs232RateToWire(config.RS232.Baudrate);
    }
    static void put(ModuleConfig &config, std::uint64_t value)
    {
        config.RS232.Baudrate = Rs232RateFromWire(static_cast<std::uint16_t>(value));
    }
};

// What the module's reset of the message time-outs restores: 1000, 30, 20 and 15 ms.
constexpr std::uint64_t kDefaultTimeouts = 1000ULL | (30ULL << 16) | (20ULL << 32) | (15ULL << 48);

// The commands that read, set and reset a value (kNone: the module has no such command).
struct Commands
{
    int read = kNone;
    int set = kNone;
    int reset = kNone;
};

// What a set takes: for Range low..high, for OnlyBits the bits in high.
struct Limits
{
    Limit limit = Limit::Any;
    std::uint32_t low = 0;
    std::uint32_t high = 0;
};

struct ModuleValue
{
    int group;
    Commands commands;
    int size; // bytes on the line
    Limits limits;
    Offered offered;
    std::uint64_t restored; // what the reset command restores
    Getter get;
    Putter put;
};

template<typename Access>
constexpr ModuleValue Value(int group,
                            Commands commands,
                            int size,
                            Limits limits = {},
                            Offered offered = Offered::Always,
                            std::uint64_t restored = 0)
{
    return {group, commands, size, limits, offered, restored, &Access::get, &Access::put};
}

constexpr auto kRs232 = &ModuleConfig::RS232;
constexpr auto kCan = &ModuleConfig::CAN;
constexpr auto kLin = &ModuleConfig::LIN;
constexpr std::uint32_t kCanForwardBits = 0x80 | 0x40 | 0x04 | 0x02;
constexpr std::uint32_t kLinForwardBits = 0x80 | 0x40 | 0x04 | 0x01;

// clang-format off
constexpr std::array kModuleValues{
    Value<Rs232WireRate>(0, {.read = 11}, 2),
    Value<CounterOf<kRs232, 0>>(0, {.read = 22, .reset = 52}, 2),
    Value<CounterOf<kRs232, 1>>(0, {.read = 23, .reset = 53}, 2),
    Value<CounterOf<kRs232, 2>>(0, {.reset = 55}, 2),

    Value<FieldOf<kCan, &CAN_Group::Active>>(1, {.read = 10, .set = 30}, 1, {Limit::ZeroOrOne}),
    Value<FieldOf<kCan, &CAN_Group::Baudrate>>(1, {.read = 11, .set = 31}, 2),
    Value<FieldOf<kCan, &CAN_Group::ForwardMask>>(1, {.read = 12, .set = 32}, 1, {Limit::OnlyBits, 0, kCanForwardBits}),
    Value<FieldOf<kCan, &CAN_Group::FilterMask>>(1, {.read = 13, .set = 33}, 4),
    Value<FieldOf<kCan, &CAN_Group::FilterCode>>(1, {.read = 14, .set = 34}, 4),
    Value<FieldOf<kCan, &CAN_Group::IdOffset>>(1, {.read = 15, .set = 35}, 4),
    Value<FieldOf<kCan, &CAN_Group::ErrorId>>(1, {.read = 16, .set = 36}, 4, {}, Offered::WithErrorId),
    Value<CounterOf<kCan, 0>>(1, {.read = 22}, 2),
    Value<CounterOf<kCan, 1>>(1, {.read = 23}, 2),

    Value<FieldOf<kLin, &LIN_Group::Active>>(2, {.read = 10, .set = 30}, 1, {Limit::ZeroOrOne}),
    Value<FieldOf<kLin, &LIN_Group::Baudrate>>(2, {.read = 11, .set = 31}, 2, {Limit::Range, 1000, 20000}),
    Value<FieldOf<kLin, &LIN_Group::ForwardMask>>(2, {.read = 12, .set = 32}, 1, {Limit::OnlyBits, 0, kLinForwardBits}),
    Value<FieldOf<kLin, &LIN_Group::FilterMask>>(2, {.read = 13, .set = 33}, 1),
    Value<FieldOf<kLin, &LIN_Group::FilterCode>>(2, {.read = 14, .set = 34}, 1),
    Value<FieldOf<kLin, &LIN_Group::MasterStatus>>(2, {.read = 16, .set = 36}, 1, {Limit::MasterSwitch}),
    Value<FieldOf<kLin, &LIN_Group::BusTermination>>(2, {.read = 17, .set = 37}, 1, {Limit::ZeroOrOne}),
    Value<FieldOf<kLin, &LIN_Group::MessageTimeouts>>(2, {.read = 18, .set = 38, .reset = 50}, 8, {}, Offered::Always, kDefaultTimeouts),
    Value<FieldOf<kLin, &LIN_Group::Retries>>(2, {.read = 19, .set = 39}, 1),
    Value<FieldOf<kLin, &LIN_Group::BitRecognitionStatus>>(2, {.read = 26, .set = 42}, 1, {Limit::ZeroOrOne}),
    Value<FieldOf<kLin, &LIN_Group::SlaveActivationId>>(2, {.read = 29, .set = 45}, 4, {}, Offered::WithSlaveActivation),
    Value<CounterOf<kLin, 0>>(2, {.read = 22, .reset = 52}, 2),
    Value<CounterOf<kLin, 1>>(2, {.read = 23, .reset = 53}, 2),
    Value<CounterOf<kLin, 2>>(2, {.reset = 54}, 2),
    Value<CounterOf<kLin, 3>>(2, {.reset = 55}, 2),
    Value<CounterOf<kLin, 4>>(2, {.reset = 56}, 2),
    Value<CounterOf<kLin, 5>>(2, {.reset = 57}, 2),
    Value<CounterOf<kLin, 6>>(2, {.reset = 58}, 2),
};
// clang-format on

bool offered(const ModuleValue &value, const ModuleRequest &request)
{
    switch (value.offered) {
    case Offered::WithErrorId:
        return HasErrorId(request.firmware);
    case Offered::WithSlaveActivation:
        return HasSlaveActivation(request.firmware, request.buildMode);
    case Offered::Always:
        break;
    }
    return true;
}

// The return code a set gives the value it carries; kOk when the value is taken.
std::uint8_t limitCode(const ModuleValue &value, const ModuleRequest &request, std::uint64_t wanted)
{
    const Limits &limits = value.limits;
    switch (limits.limit) {
    case Limit::Any:
        return kOk;
    case Limit::ZeroOrOne:
        return wanted > 1 ? kOutOfRange : kOk;
    case Limit::Range:
        return wanted < limits.low || wanted > limits.high ? kOutOfRange : kOk;
    case Limit::OnlyBits:
        return (wanted & ~std::uint64_t(limits.high)) != 0 ? kBadForwardMask : kOk;
    case Limit::MasterSwitch:
        if (wanted == 1 && request.config.LIN.SchedulerCount == 0)
            return kSchedulerEmpty;
        return wanted > 1 ? kOutOfRange : kOk;
    }
    return kOk;
}

ReplyData read(const ModuleValue &value, const ModuleRequest &request)
{
    if (!offered(value, request))
        return {kNotSupported};
    ReplyData out;
    PutLittleEndian(out, value.get(request.config), value.size);
    return out;
}

ReplyData set(const ModuleValue &value, const ModuleRequest &request)
{
    // The LIN group asks the firmware before it measures the request; the CAN group after.
    const bool gateFirst = value.group == 2;
    if (gateFirst && !offered(value, request))
        return {kNotSupported};
    if (request.length != value.size)
        return {kBadParameters};
    if (!gateFirst && !offered(value, request))
        return {kNotSupported};
    const std::uint64_t wanted = request.value(0, value.size);
    if (const std::uint8_t code = limitCode(value, request, wanted); code != kOk)
        return {code};
    value.put(request.config, wanted);
    return {kOk};
}

} // namespace

std::optional<ReplyData> AnswerValueCommand(const ModuleRequest &request, int command)
{
    for (const ModuleValue &value : kModuleValues) {
        if (value.group != request.group)
            continue;
        if (value.commands.read == command)
            return read(value, request);
        if (value.commands.set == command)
            return set(value, request);
        if (value.commands.reset == command) {
            value.put(request.config, value.restored);
            return ReplyData{kOk};
        }
    }
    return std::nullopt;
}

} // namespace vxl::sim
