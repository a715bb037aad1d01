#include "platform/font_warmup.h"

#include <fontconfig/fontconfig.h>

#include <system_error>
#include <thread>

namespace tivora {

namespace {

std::thread warmUp;

} // namespace

void startFontWarmUp()
{
    if (warmUp.joinable())
        return;
    try {
        warmUp = std::thread([] {
            // Loads the configuration and the cached font list as the current one, the
            // one the toolkit's font database asks, and lists the fonts once as it does.
            if (!FcInit())
                return;
            FcPattern *pattern = FcPatternCreate();
            FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, nullptr);
            if (pattern && objects)
                FcFontSetDestroy(FcFontList(nullptr, pattern, objects));
            if (objects)
                FcObjectSetDestroy(objects);
            if (pattern)
                FcPatternDestroy(pattern);
        });
    } catch (const std::system_error &) {
        // No thread: the toolkit reads the fonts itself, as it would anyway.
    }
}

void finishFontWarmUp()
{
    if (warmUp.joinable())
        warmUp.join();
}

} // namespace tivora
