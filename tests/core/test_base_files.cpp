#include "core/base/interrupted_saves.h"
#include "core/base/paths.h"
#include "core/base/text_encoding.h"
#include "platform/file_access.h"

#include "core/test_base_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

using namespace tivora;

namespace {

using BaseFiles = tivora::testing::ScratchFolder;

std::string utf8(char32_t cp)
{
    std::string s;
    appendUtf8(s, cp);
    return s;
}

} // namespace

// --- permissions ------------------------------------------------------------------------

TEST_F(BaseFiles, CanWriteFileNeedsAWriteBitEvenForRoot)
{
    const auto file = dir / "a.ini";
    EXPECT_TRUE(canWriteFile(file)); // new file in a writable folder
    put(file, "x");
    EXPECT_TRUE(canWriteFile(file));
    setMode(file, 0444);
    EXPECT_FALSE(canWriteFile(file));
    setMode(file, 0404);
    EXPECT_FALSE(canWriteFile(file));
    setMode(file, 0464); // a group write bit counts as writable
    EXPECT_TRUE(canWriteFile(file));

    std::filesystem::create_symlink("a.ini", dir / "link.ini");
    EXPECT_TRUE(canWriteFile(dir / "link.ini"));
    setMode(file, 0444);
    EXPECT_FALSE(canWriteFile(dir / "link.ini"));

    EXPECT_FALSE(canWriteFile(dir / "missing" / "a.ini")); // folder missing
    EXPECT_FALSE(canWriteFile(dir)); // a folder is no file
    setMode(dir, 0555);
    EXPECT_FALSE(canWriteFile(dir / "new.ini"));
}

// --- atomic writes ----------------------------------------------------------------------

TEST_F(BaseFiles, WriteFileAtomicallyCreatesAndReplaces)
{
    const auto file = dir / "a.ini";
    const mode_t old = ::umask(022);
    EXPECT_TRUE(writeFileAtomically(file, "first"));
    ::umask(old);
    EXPECT_EQ(get(file), "first");
    EXPECT_EQ(modeOf(file), 0644u);

    setMode(file, 0600);
    EXPECT_TRUE(writeFileAtomically(file, std::string("second\0with nul", 15)));
    EXPECT_EQ(get(file), std::string("second\0with nul", 15));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_TRUE(writeFileAtomically(file, ""));
    EXPECT_EQ(get(file), "");
    EXPECT_EQ(entries(), std::set<std::string> {"a.ini"});

    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "a.ini", "x"));
    EXPECT_FALSE(writeFileAtomically(dir, "x"));
    EXPECT_EQ(entries(), std::set<std::string> {"a.ini"});
}

TEST_F(BaseFiles, FailedWriteLeavesTargetAndNoTemporaryFile)
{
    const auto file = dir / "a.ini";
    put(file, "old text");
    const std::string big(64 * 1024, 'x');

    // Files may not grow beyond 1 KiB for a moment: writing the temporary file fails.
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeFileAtomically(file, big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(get(file), "old text");
    EXPECT_EQ(entries(), std::set<std::string> {"a.ini"});
}

TEST_F(BaseFiles, InPlaceRewriteWhenTheFolderIsProtected)
{
    struct Case
    {
        const char *what;
        std::string old, next;
        rlim_t sizeLimit;
        bool written;
    };
    const Case cases[] = {
        {"longer", "old", "a text longer than before", RLIM_INFINITY, true},
        {"shorter", "a longer old text", "short", RLIM_INFINITY, true},
        {"same length", "12345", "abcde", RLIM_INFINITY, true},
        {"emptied", "old text", "", RLIM_INFINITY, true},
        // The write stops halfway: the old text comes back.
        {"beyond the size limit", "old text", std::string(64 * 1024, 'n'), 1024, false},
    };
    const auto file = dir / "a.ini";
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    for (const Case &c : cases) {
        setMode(dir, 0755);
        put(file, c.old);
        setMode(dir, 0555);
        const ino_t inode = inodeOf(file);
        rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit limit = saved;
        limit.rlim_cur = std::min(c.sizeLimit, saved.rlim_max);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool written = writeFileAtomically(file, c.next);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(written, c.written) << c.what;
        EXPECT_EQ(get(file), c.written ? c.next : c.old) << c.what;
        EXPECT_EQ(inodeOf(file), inode) << c.what;
        EXPECT_EQ(entries(), std::set<std::string> {"a.ini"}) << c.what;
    }
    std::signal(SIGXFSZ, previous);

    setMode(file, 0444);
    EXPECT_FALSE(writeFileAtomically(file, "refused"));
    EXPECT_EQ(get(file), "old text");
    EXPECT_FALSE(writeFileAtomically(dir / "new.ini", "x"));
    EXPECT_EQ(entries(), std::set<std::string> {"a.ini"});
}

TEST_F(BaseFiles, StartUpRemovesTemporaryFilesNoWriterHolds)
{
    const auto skins = dir / "Skins";
    std::filesystem::create_directory(skins);
    struct Case
    {
        std::filesystem::path file;
        bool held; // a running instance is still writing it
        bool removed;
        mode_t mode = 0600;
    };
    const Case cases[] = {
        {dir / ".tivora.ini.tivora-save-Ab12Cd", false, true},
        {dir / ".tivora.ini.tivora-save-x9Y8z7", true, false},
        {dir / ".tivora.manifest.tivora-save-000000", false, true},
        {dir / ".langfile.lng.tivora-save-Lq3x9Z", false, true},
        {skins / ".Default.ini.tivora-save-aaaaaa", false, true},
        {skins / ".My Skin.BMP.tivora-save-Zz99zZ", false, true},
        {dir / ".tivora.ini.tivora-save-Mode44", false, false, 0644}, // not mode 0600
        {dir / ".tivora.ini.tivora-save-Ab12C", false, false}, // not six characters
        {dir / ".tivora.ini.tivora-save-Ab-2Cd", false, false},
        {dir / "tivora.ini.tivora-save-Ab12Cd", false, false}, // no leading dot
        {dir / "..ini.tivora-save-Ab12Cd", false, false}, // no name before the extension
        {dir / ".notes.txt.tivora-save-Ab12Cd", false, false}, // no kind the program writes
        // Names a person gives backups and copies.
        {dir / ".tivora.ini.backup", false, false},
        {dir / ".langfile.lng.orig01", false, false},
        {dir / ".notes.ini.copy42", false, false},
        {dir / ".tivora.ini.Ab12Cd", false, false},
        {skins / ".Default.bmp.before", false, false},
        {dir / "tivora.ini", false, false},
    };
    std::vector<int> holders;
    for (const Case &c : cases) {
        put(c.file, "text");
        setMode(c.file, c.mode);
        if (c.held) {
            holders.push_back(::open(c.file.c_str(), O_RDWR));
            ASSERT_EQ(::flock(holders.back(), LOCK_EX), 0);
        }
    }
    // A folder or a link of such a name is no temporary file.
    std::filesystem::create_directory(dir / ".old.ini.tivora-save-Folder");
    std::filesystem::create_symlink("tivora.ini", dir / ".link.ini.tivora-save-Qq11Qq");

    // Another user's file is not ours either (checked where this test may hand it over).
    const auto foreign = dir / ".tivora.ini.tivora-save-Other1";
    put(foreign, "text");
    setMode(foreign, 0600);
    const bool handedOver = ::chown(foreign.c_str(), 65534, 65534) == 0;

    EXPECT_EQ(removeInterruptedSaves(dir, skins), 5u);
    EXPECT_EQ(std::filesystem::exists(foreign), handedOver);
    for (const Case &c : cases)
        EXPECT_EQ(std::filesystem::exists(c.file), !c.removed) << c.file;
    EXPECT_TRUE(std::filesystem::is_directory(dir / ".old.ini.tivora-save-Folder"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / ".link.ini.tivora-save-Qq11Qq"));
    // Once its writer is gone, the next start removes it.
    for (int fd : holders)
        ::close(fd);
    EXPECT_EQ(removeInterruptedSaves(dir, skins), 1u);
    EXPECT_EQ(removeInterruptedSaves(dir / "missing", skins / "missing"), 0u);
    const auto kept = entries();

    // Saves going on while another instance starts keep their temporary files.
    const auto file = dir / "tivora.ini";
    std::atomic<bool> saving {true};
    std::thread starts([&] {
        while (saving)
            removeInterruptedSaves(dir, skins);
    });
    int failed = 0;
    for (int n = 0; n < 20; ++n)
        failed += !writeFileAtomically(file, std::string(64 * 1024, char('a' + n)));
    saving = false;
    starts.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(get(file), std::string(64 * 1024, char('a' + 19)));
    EXPECT_EQ(entries(), kept);
}

// --- reading ----------------------------------------------------------------------------

TEST_F(BaseFiles, ReadFileHonoursTheLimitAndRefusesNonFiles)
{
    const auto file = dir / "a.ini";
    put(file, "0123456789");
    std::string bytes = "stale";
    EXPECT_TRUE(readFile(file, bytes));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_TRUE(readFile(file, bytes, 10));
    EXPECT_FALSE(readFile(file, bytes, 9));
    EXPECT_TRUE(bytes.empty());

    put(file, "");
    EXPECT_TRUE(readFile(file, bytes));
    EXPECT_TRUE(bytes.empty());

    EXPECT_FALSE(readFile(dir / "missing", bytes));
    EXPECT_FALSE(readFile(dir, bytes));
    // A named pipe with no writer must not block the read.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    EXPECT_FALSE(readFile(dir / "pipe", bytes));
}

// --- text encoding ----------------------------------------------------------------------

TEST(BaseFilesEncoding, Utf8CheckIsStrict)
{
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"));
    EXPECT_TRUE(isValidUtf8("\xe2\x82\xac\xf0\x9f\x95\x90")); // euro sign, clock emoji
    EXPECT_TRUE(isValidUtf8("\xf4\x8f\xbf\xbf")); // U+10FFFF
    const char *bad[] = {
        "\xcf\xf0\xe8", // Windows-1251 text
        "\xc0\x80", // overlong NUL
        "\xe0\x80\xaf", // overlong slash
        "\xed\xa0\x80", // surrogate
        "\xf4\x90\x80\x80", // above U+10FFFF
        "\xd0", // cut short
        "\xe2\x82", // cut short
        "\x80", // stray continuation byte
        "\xff",
    };
    for (const char *text : bad)
        EXPECT_FALSE(isValidUtf8(text)) << text;
}

TEST(BaseFilesEncoding, Windows1251TableIsComplete)
{
    // All capitals and small letters.
    for (int byte = 0xC0; byte <= 0xFF; ++byte)
        EXPECT_EQ(cp1251ToUtf8(std::string(1, char(byte))), utf8(0x0410 + (byte - 0xC0))) << byte;
    // The upper half's mixed block, checked against the code page.
    const std::pair<unsigned char, char32_t> mixed[] = {
        {0x80, 0x0402}, {0x82, 0x201A}, {0x84, 0x201E}, {0x85, 0x2026}, {0x88, 0x20AC},
        {0x8A, 0x0409}, {0x8F, 0x040F}, {0x90, 0x0452}, {0x96, 0x2013}, {0x97, 0x2014},
        {0x98, 0x0098}, {0x99, 0x2122}, {0x9F, 0x045F}, {0xA0, 0x00A0}, {0xA1, 0x040E},
        {0xA5, 0x0490}, {0xA8, 0x0401}, {0xAA, 0x0404}, {0xAF, 0x0407}, {0xB2, 0x0406},
        {0xB3, 0x0456}, {0xB4, 0x0491}, {0xB8, 0x0451}, {0xB9, 0x2116}, {0xBA, 0x0454},
        {0xBC, 0x0458}, {0xBD, 0x0405}, {0xBE, 0x0455}, {0xBF, 0x0457},
    };
    for (const auto &[byte, cp] : mixed)
        EXPECT_EQ(cp1251ToUtf8(std::string(1, char(byte))), utf8(cp)) << int(byte);
    // Every byte decodes to valid UTF-8 and ASCII passes through.
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += char(byte);
    EXPECT_TRUE(isValidUtf8(cp1251ToUtf8(all)));
    EXPECT_EQ(cp1251ToUtf8("Tivora 1.0"), "Tivora 1.0");
}

TEST(BaseFilesEncoding, DecodeTextDropsTheMarkAndFallsBackToWindows1251)
{
    EXPECT_EQ(decodeText("\xEF\xBB\xBF[Main]"), "[Main]");
    EXPECT_EQ(decodeText("\xd0\x81"), "\xd0\x81"); // valid UTF-8 (Ё) kept as is
    EXPECT_EQ(decodeText("\xcf\xf0\xe8\xe2\xe5\xf2"),
              "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    // One invalid byte turns the whole text to Windows-1251.
    EXPECT_EQ(decodeText("\xd0\x81 \xa8"), "\xd0\xa0\xd0\x83 \xd0\x81"); // РЃ Ё
}

TEST(BaseFilesEncoding, FoldCaseLowersAsciiAndCyrillic)
{
    EXPECT_EQ(foldCase("Clock_01_H [MAIN]"), "clock_01_h [main]");
    // АБВ ПРЯ ЁЂЏ Ґ -> абв пря ёђџ ґ
    EXPECT_EQ(foldCase("\xd0\x90\xd0\x91\xd0\x92 \xd0\x9f\xd0\xa0\xd0\xaf \xd0\x81\xd0\x82\xd0\x8f "
                       "\xd2\x90"),
              "\xd0\xb0\xd0\xb1\xd0\xb2 \xd0\xbf\xd1\x80\xd1\x8f \xd1\x91\xd1\x92\xd1\x9f "
              "\xd2\x91");
    // Small letters, other scripts and symbols stay.
    const std::string kept = "\xd0\xb0\xd1\x8f\xd1\x91 \xc3\x84 \xe2\x82\xac 123";
    EXPECT_EQ(foldCase(kept), kept);
}

// --- paths -----------------------------------------------------------------------------

TEST(Paths, DataFolderIsPortableUnlessTheExecutablesFolderIsProtected)
{
    using P = std::filesystem::path;
    const char *none = nullptr;
    const struct
    {
        const char *executable, *tivoraHome;
        bool writable;
        const char *xdgConfigHome, *home, *folder;
        bool perUser;
    } cases[] = {
        // Portable: beside the executable, or where TIVORA_HOME says, whatever else holds.
        {"/opt/My/Tivora.EXE", none, true, "/h/.cfg", "/h", "/opt/My", false},
        {"/opt/My/Tivora.EXE", "", true, none, "/h", "/opt/My", false},
        {"/usr/bin/tivora", "/srv/Home Dir", false, "/h/.cfg", "/h", "/srv/Home Dir", false},
        {"/usr/bin/tivora", "/srv/Home Dir", true, none, none, "/srv/Home Dir", false},
        // Installed: the per-user folder.
        {"/usr/bin/tivora", none, false, "/h/.cfg", "/h", "/h/.cfg/tivora", true},
        {"/usr/bin/tivora", "", false, none, "/h", "/h/.config/tivora", true},
        {"/usr/bin/tivora", none, false, "", "/h", "/h/.config/tivora", true},
        {"/usr/bin/tivora", none, false, "rel/cfg", "/h", "/h/.config/tivora", true},
        {"/usr/bin/tivora", none, false, "/h/.cfg", none, "/h/.cfg/tivora", true},
        // No home folder known: nowhere else to go.
        {"/usr/bin/tivora", none, false, none, none, "/usr/bin", false},
        {"/usr/bin/tivora", none, false, none, "rel", "/usr/bin", false},
    };
    for (const auto &c : cases) {
        const DataFolder f =
            dataFolder({c.executable, c.tivoraHome, c.writable, c.xdgConfigHome, c.home});
        EXPECT_EQ(f.path, P(c.folder))
            << c.executable << " home=" << (c.tivoraHome ? c.tivoraHome : "-")
            << " writable=" << c.writable << " xdg=" << (c.xdgConfigHome ? c.xdgConfigHome : "-");
        EXPECT_EQ(f.perUser, c.perUser) << c.folder;
    }
    // A relative executable path is taken from the current folder, as the system does.
    EXPECT_EQ(dataFolder({"bin/tivora"}).path, std::filesystem::current_path() / "bin");

    // The program in the folder it was built to be installed into is the installed one,
    // even where it may write (run by root).
    const struct
    {
        const char *executable, *tivoraHome, *installFolder, *folder;
    } installed[] = {
        {"/usr/bin/tivora", none, "/usr/bin", "/h/.cfg/tivora"},
        {"/usr/bin/tivora", none, "/usr/bin/", "/h/.cfg/tivora"},
        {"/usr/bin/tivora", "/srv/t", "/usr/bin", "/srv/t"},
        {"/opt/t/tivora", none, "/usr/bin", "/opt/t"},
        {"/usr/local/bin/tivora", none, "/usr/bin", "/usr/local/bin"},
    };
    for (const auto &c : installed)
        EXPECT_EQ(dataFolder({c.executable, c.tivoraHome, true, "/h/.cfg", "/h", c.installFolder}).path,
                  P(c.folder))
            << c.executable << " installed in " << c.installFolder;
}

TEST(Paths, SettingsAndManifestNames)
{
    using P = std::filesystem::path;
    const struct
    {
        const char *executable, *settings, *manifest;
    } cases[] = {
        {"/opt/My/Tivora.EXE", "/d/tivora.ini", "/d/Tivora.EXE.manifest"},
        {"/opt/x/tivora", "/d/tivora.ini", "/d/tivora.manifest"},
        {"/opt/x/My.Clock.bin", "/d/my.clock.ini", "/d/My.Clock.bin.manifest"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(settingsFile("/d", c.executable), P(c.settings)) << c.executable;
        EXPECT_EQ(manifestFile("/d", c.executable), P(c.manifest)) << c.executable;
    }
}
