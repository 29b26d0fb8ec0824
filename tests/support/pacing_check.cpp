#include "pacing_check.h"

#include "core/link/command_builders.h"

#include <QTest>

#include <chrono>

namespace vxl::test {

void CheckPacedAsReceived(const std::vector<SentRequest> &writes,
                          const std::vector<sim::TranscriptEntry> &requests)
{
    QCOMPARE(writes.size(), requests.size());
    for (std::size_t i = 0; i < writes.size(); ++i) {
        QCOMPARE(FormatFrame(writes[i].msg), requests[i].text);
        if (i == 0)
            continue;
        const auto gap = writes[i].started - writes[i - 1].finished;
        QVERIFY2(gap >= std::chrono::milliseconds(20),
                 qPrintable(
                     QString("%1 us before request %2")
                         .arg(std::chrono::duration_cast<std::chrono::microseconds>(gap).count())
                         .arg(i)));
    }
}

} // namespace vxl::test
