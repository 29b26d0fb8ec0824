#pragma once

#include "core/link/lin_msg.h"

namespace vxl {

class OperationContext;

// Reads the frame lengths and formats again, one block at a time, after the console changed
// them.
class FrameInfoReader
{
public:
    explicit FrameInfoReader(OperationContext &context);

    void ReadFrameInfo();
    void FrameInfoReply(const LIN_Msg &msg);
    void OnTimeout();

private:
    OperationContext &m_ctx;
};

} // namespace vxl
