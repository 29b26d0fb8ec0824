// The console's parameter rules on arbitrary sequences of operator actions: group, mode, the
// command chosen, the parameter count (set, stepped or typed) and the texts of the parameters,
// P00 and P01 above all, whose values decide the count and the hints. Whatever the sequence,
// the count stays within the fifteen edits, every parameter text is at most two upper-case
// hexadecimal digits, and the list position stays inside the list.

#include "core/operations/console_logic.h"
#include "core/operations/operations.h"
#include "fuzz_target.h"
#include "silent_operator.h"

#include <QCoreApplication>

#include <memory>

using namespace vxl;

namespace {

Operations &operations()
{
    static int argc = 1;
    static char name[] = "fuzz_console_rules";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static test::SilentOperator op;
    static Operations ops(op, VXLIN_Values{});
    return ops;
}

void checkState(const ConsoleLogic &console)
{
    VXL_FUZZ_CHECK(console.ParameterCount() >= 0 && console.ParameterCount() <= kParameterEdits);
    VXL_FUZZ_CHECK(console.Position() >= 0 && console.Position() < int(console.List().size()));
    for (int i = 0; i < kParameterEdits; ++i) {
        const QString text = console.ParameterText(i);
        VXL_FUZZ_CHECK(text.size() <= 2);
        for (const QChar ch : text)
            VXL_FUZZ_CHECK(ch.isDigit() || (ch >= QLatin1Char('A') && ch <= QLatin1Char('F')));
        VXL_FUZZ_CHECK(!console.Hint(i).isEmpty());
    }
}

QString textFrom(const std::uint8_t *data, std::size_t size, std::size_t &at)
{
    if (at >= size)
        return {};
    const std::size_t wanted = data[at++] % 8;
    const std::size_t length = std::min(wanted, size - at);
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data + at),
                                             qsizetype(length));
    at += length;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Operations &ops = operations();
    // The slave data lengths follow the module's frame table and firmware.
    ModuleConfig &module = ops.ModuleCopy();
    module = ModuleConfig{};
    if (size > 0)
        module.LIN.FrameLengths.fill(data[0]);

    ConsoleLogic &console = ops.Console();
    console.SetGroup(0);
    console.SetMode(0);
    for (std::size_t at = 1; at + 1 < size;) {
        const std::uint8_t action = data[at++];
        const std::uint8_t value = data[at++];
        const int signedValue = int(std::int8_t(value));
        switch (action % 9) {
        case 0:
            console.SetGroup(signedValue);
            break;
        case 1:
            console.SetMode(signedValue);
            break;
        case 2:
            console.SelectEntry(signedValue);
            break;
        case 3:
            console.SetParameterCount(signedValue);
            break;
        case 4:
            console.StepParameterCount(signedValue);
            break;
        case 5:
            console.ParameterCountEdited(textFrom(data, size, at));
            break;
        case 6:
            console.SetParameterText(signedValue % (kParameterEdits + 2), textFrom(data, size, at));
            break;
        case 7:
            console.ParameterEditLeft(signedValue % (kParameterEdits + 2));
            break;
        default:
            console.RefreshCommandSelection();
            break;
        }
        checkState(console);
    }
    return 0;
}
