#include "platform/wall_clock.h"

#include "core/test_base_support.h"

#include <fstream>
#include <functional>

using namespace tivora;
namespace fs = std::filesystem;

namespace {

using ZoneWatch = tivora::testing::ScratchFolder;

void write(const fs::path &file, const std::string &text)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

} // namespace

// The system's zone is read again only when the watch says it may have changed, so every
// way a desktop or an update changes the zone must be told, and a quiet second must not.
TEST_F(ZoneWatch, TellsEveryChangeOfTheLinkOrTheFileItLeadsTo)
{
    // As on a desktop: the link in one folder, the zone files in another.
    const fs::path zones = dir / "zoneinfo", etc = dir / "etc", link = etc / "localtime";
    fs::create_directories(zones);
    fs::create_directories(etc);
    write(zones / "Berlin", "zone A");
    write(zones / "Tokyo", "zone B");
    fs::create_symlink(zones / "Berlin", link);
    ZoneFileWatch watch(link);

    const struct
    {
        const char *what;
        std::function<void()> change;
        bool told;
    } steps[] = {
        {"the first question", [] {}, true},
        {"nothing changed", [] {}, false},
        {"another file of the folder written", [&] { write(etc / "hostname", "desk"); }, false},
        {"the link replaced by a rename", [&] {
             fs::create_symlink(zones / "Tokyo", etc / ".localtime.new");
             fs::rename(etc / ".localtime.new", link);
         }, true},
        {"nothing changed since", [] {}, false},
        {"the zone left behind rewritten", [&] { write(zones / "Berlin", "zone A, updated"); },
         false},
        {"the file now linked rewritten", [&] { write(zones / "Tokyo", "zone B, updated"); }, true},
        {"the file replaced by an update", [&] {
             write(zones / "Tokyo.new", "zone B, new");
             fs::rename(zones / "Tokyo.new", zones / "Tokyo");
         }, true},
        {"nothing changed after the update", [] {}, false},
        {"the link removed", [&] { fs::remove(link); }, true},
        {"a plain file written in its place", [&] { write(link, "zone C"); }, true},
        {"nothing changed at the end", [] {}, false},
    };
    for (const auto &step : steps) {
        step.change();
        EXPECT_EQ(watch.mayHaveChanged(), step.told) << step.what;
    }
}

TEST_F(ZoneWatch, AFileThatCannotBeWatchedAlwaysMayHaveChanged)
{
    ZoneFileWatch watch(dir / "no such folder" / "localtime");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(watch.mayHaveChanged());
}
