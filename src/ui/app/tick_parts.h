#pragma once

// bench/tick_parts.sh measures what each part of a tick costs: it runs the widget several
// times at once, each copy stopping its ticks after another part. Only a build configured
// with -DTIVORA_TICK_PARTS=ON reads the part to stop after (TIVORA_TICK_PART); in every
// other build a tick runs whole and the checks compile away.

namespace tivora {

enum class TickPart {
    Clock,     // the time read and the zone checked
    Record,    // the picture recorded and compared with the last one
    Draw,      // the changed pixels drawn into the window's buffer
    Show,      // and sent to the window (a see-through one shaped anew): a whole tick
    DrawTwice, // a whole tick that draws its pixels a second time, with warm caches
};

#ifdef TIVORA_TICK_PARTS
TickPart tickPartsRun();
#else
constexpr TickPart tickPartsRun()
{
    return TickPart::Show;
}
#endif

} // namespace tivora
