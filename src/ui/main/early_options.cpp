#include "ui/main/early_options.h"

#include <cstring>

namespace vxl {

std::optional<int> AnswerEarlyOption(int argc, char **argv, std::FILE *out)
{
    if (argc < 2)
        return std::nullopt;
    const char *first = argv[1];
    if (std::strcmp(first, "--version") == 0) {
        std::fprintf(out, "vexalin-ct %s\n", VXL_VERSION_TEXT);
        return 0;
    }
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        std::fputs("Usage: vexalin-ct [PROFILE]\n"
                   "Configures VEXA-LIN CAN/LIN gateway modules over a serial line.\n"
                   "\n"
                   "Arguments:\n"
                   "  PROFILE        a profile (.vxlin) to open at start; a file that does not\n"
                   "                 exist is ignored\n"
                   "\n"
                   "Options:\n"
                   "  -h, --help     print this help and exit\n"
                   "  --version      print the version and exit\n",
                   out);
        return 0;
    }
    return std::nullopt;
}

} // namespace vxl
