#include "fontwarmup.h"

#if QUILLORA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

std::jthread warmUpFontConfiguration()
{
#if QUILLORA_HAVE_FONTCONFIG
    // Thread-safe: the configuration is published once, whichever thread builds it first.
    return std::jthread([] { FcInit(); });
#else
    return {};
#endif
}
