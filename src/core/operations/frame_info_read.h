#pragma once

#include "core/link/lin_msg.h"

namespace vxl {

class Operations;

// Reads the frame lengths and formats again, one block at a time, after the console changed
// them.
class FrameInfoReader
{
public:
    explicit FrameInfoReader(Operations &ops);

    void ReadFrameInfo();
    void FrameInfoReply(const LIN_Msg &msg);
    void OnTimeout();

private:
    Operations &m_ops;
};

} // namespace vxl
