#include "core/operations/frame_info_read.h"

#include "core/link/command_builders.h"
#include "core/link/status_text.h"
#include "core/operations/module_read.h"
#include "core/operations/operation_context.h"

#include <algorithm>

namespace vxl {

namespace {

constexpr auto kFrameInfo = TransactionKind::tkFrameInfo;

} // namespace

FrameInfoReader::FrameInfoReader(OperationContext &context)
    : m_ctx(context)
{}

void FrameInfoReader::ReadFrameInfo()
{
    if (!m_ctx.StartChecks())
        return;
    const std::uint8_t data[] = {0, 0};
    if (SendCommandData(m_ctx.Link(), 2, 27, 0, data) != 0)
        return;
    auto &engine = m_ctx.Engine();
    engine.SetPhase(0);
    m_ctx.PaintBusy();
    engine.SetActive(kFrameInfo, true);
    engine.Arm();
}

void FrameInfoReader::FrameInfoReply(const LIN_Msg &msg)
{
    auto &lin = m_ctx.ModuleCopy().LIN;
    const int s = HeaderField(msg.header, 1);
    if (s <= 3) {
        StoreReplyBytes(lin.FrameLengths, std::size_t(8 * s), msg);
        if (s < 3) {
            const std::uint8_t next[] = {std::uint8_t(s + 1), 0};
            SendCommandData(m_ctx.Link(), 2, 27, s + 1, next);
        } else {
            const std::uint8_t all[] = {0, 0};
            SendCommandData(m_ctx.Link(), 2, 28, 4, all);
        }
        return;
    }
    StoreReplyBytes(lin.FrameFormats, 0, msg);
    auto &engine = m_ctx.Engine();
    engine.StopTimer();
    engine.SetActive(kFrameInfo, false);
    m_ctx.PaintIdle();
}

void FrameInfoReader::OnTimeout()
{
    m_ctx.Error(OperatorMessage(11, 27));
}

} // namespace vxl
