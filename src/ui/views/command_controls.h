#pragma once

#include "core/operations/command_states.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <span>

namespace vxl {

// The controls that carry a command, by their object names (control_names.h).
[[nodiscard]] std::span<const char *const> ControlsOf(Command command);
// The state published for the command a control carries; false while none is published or when
// the control carries none.
[[nodiscard]] bool ControlEnabled(const CommandStates &states, QStringView controlName);
// Every control of every command with a published state, with that state.
void ForEachControlState(const CommandStates &states,
                         const std::function<void(const QString &name, bool enabled)> &apply);

} // namespace vxl
