#include "core/base/ini_file.h"
#include "core/base/text_encoding.h"

#include "core/test_base_support.h"

#include <sys/resource.h>

#include <cstdio>

using tivora::IniFile;
using tivora::IniWriteError;

namespace {

class IniTest : public tivora::testing::ScratchFolder
{
protected:
    std::filesystem::path file() const { return dir / "test.ini"; }

    // Writes the text, opens it and returns the store.
    std::unique_ptr<IniFile> open(const std::string &text)
    {
        put(file(), text);
        return std::make_unique<IniFile>(file());
    }

    // Applies the edit to a file holding the text and returns the file's new bytes.
    template<class Edit> std::string edited(const std::string &text, Edit edit)
    {
        put(file(), text);
        {
            IniFile ini(file());
            edit(ini);
            ini.close();
        }
        return get(file());
    }

    bool hasTempFiles() const
    {
        for (const std::string &name : entries()) {
            if (name.rfind(".test.ini.", 0) == 0)
                return true;
        }
        return false;
    }
};

using IniRead = IniTest;
using IniWrite = IniTest;
using IniFiles = IniTest;

} // namespace

// --- reading --------------------------------------------------------------------------

TEST_F(IniRead, NamesIgnoreCaseAndValuesLoseBlanksAndOneQuotePair)
{
    auto ini = open("[Main]\n"
                    "  Width = 12 \t\n"
                    "Name=\"  quoted  \"\n"
                    "Single='x'\n"
                    "Mixed=\"abc'\n"
                    "Lone=\"\n"
                    "Twice=\"\"a\"\"\n"
                    "Inner=a\"b\"c\n"
                    "Empty=\n"
                    "Eq=a=b\n"
                    "[\xd0\x93\xd0\xbe\xd1\x80\xd0\xbe\xd0\xb4]\n" // [Город]
                    "\xd0\x98\xd0\xbc\xd1\x8f=\xd0\x9c\xd0\xbe\xd1\x81\n"); // Имя=Мос
    EXPECT_EQ(ini->readString("main", "WIDTH", "d"), "12");
    EXPECT_EQ(ini->readString(" MAIN ", " width ", "d"), "12");
    EXPECT_EQ(ini->readString("Main", "Name", "d"), "  quoted  ");
    EXPECT_EQ(ini->readString("Main", "Single", "d"), "x");
    EXPECT_EQ(ini->readString("Main", "Mixed", "d"), "\"abc'");
    EXPECT_EQ(ini->readString("Main", "Lone", "d"), "\"");
    EXPECT_EQ(ini->readString("Main", "Twice", "d"), "\"a\"");
    EXPECT_EQ(ini->readString("Main", "Inner", "d"), "a\"b\"c");
    EXPECT_EQ(ini->readString("Main", "Empty", "d"), "");
    EXPECT_EQ(ini->readString("Main", "Eq", "d"), "a=b");
    EXPECT_EQ(ini->readString("Main", "Missing", "d"), "d");
    EXPECT_EQ(ini->readString("Other", "Width", "d"), "d");
    // Cyrillic names fold too: [ГОРОД] and имя.
    EXPECT_EQ(ini->readString("\xd0\x93\xd0\x9e\xd0\xa0\xd0\x9e\xd0\x94",
                              "\xd0\xb8\xd0\xbc\xd1\x8f", "d"),
              "\xd0\x9c\xd0\xbe\xd1\x81");
}

TEST_F(IniRead, ValuesAreCutAt2047CharactersNeverInsideACharacter)
{
    const std::string zhe = "\xd0\x96"; // Ж, two bytes in UTF-8
    std::string cyrillic;
    for (int i = 0; i < 2100; ++i)
        cyrillic += zhe;
    const std::string mixed = std::string(2046, 'a') + zhe + "b";
    auto ini =
        open("[S]\nLong=" + std::string(3000, 'x') + "\nExact=" + std::string(2047, 'y') + "\nCyr="
             + cyrillic + "\nMixed=" + mixed + "\nQuoted=\"" + std::string(2047, 'q') + "z\"\n");
    EXPECT_EQ(ini->readString("S", "Long", ""), std::string(2047, 'x'));
    EXPECT_EQ(ini->readString("S", "Exact", ""), std::string(2047, 'y'));
    const std::string cut = ini->readString("S", "Cyr", "");
    EXPECT_EQ(cut.size(), 2047u * 2u);
    EXPECT_TRUE(tivora::isValidUtf8(cut));
    EXPECT_EQ(ini->readString("S", "Mixed", ""), std::string(2046, 'a') + zhe);
    // The quotes are dropped before the cut.
    EXPECT_EQ(ini->readString("S", "Quoted", ""), std::string(2047, 'q'));
}

TEST_F(IniRead, FirstOfRepeatedSectionsAndKeysWins)
{
    auto ini = open("[A]\nk=1\nK=2\n[B]\nx=0\n[a]\nk=3\nj=4\n");
    EXPECT_EQ(ini->readString("A", "k", ""), "1");
    EXPECT_FALSE(ini->keyExists("A", "j"));
    EXPECT_EQ(ini->keys("A"), std::vector<std::string> {"k"});
}

TEST_F(IniRead, HeaderAloneCommentsAndLinesWithoutEqualsAreNoKeys)
{
    auto ini = open("k=0\n"
                    "[Empty]\n"
                    "[S]\n"
                    ";c=1\n"
                    "   ; d=2\n"
                    "plain line\n"
                    "=nokey\n"
                    "real = 1\n"
                    "[Nothing]\n"
                    "; just a comment\n");
    EXPECT_FALSE(ini->sectionExists("Empty"));
    EXPECT_FALSE(ini->sectionExists("Nothing"));
    EXPECT_FALSE(ini->sectionExists("Missing"));
    EXPECT_TRUE(ini->sectionExists("s"));
    EXPECT_FALSE(ini->keyExists("S", ";c"));
    EXPECT_FALSE(ini->keyExists("S", "; d"));
    EXPECT_FALSE(ini->keyExists("S", "plain line"));
    EXPECT_FALSE(ini->keyExists("S", ""));
    EXPECT_EQ(ini->keys("S"), std::vector<std::string> {"real"});
    EXPECT_EQ(ini->readString("Nothing", "; just a comment", "d"), "d");
}

TEST_F(IniRead, KeysInFileOrderWithTheirSpelling)
{
    auto ini = open("[Tivora]\nClock_02_h=1\n; note\nclock_01_H=2\nClock_02_H=9\nOther=x\n");
    EXPECT_EQ(ini->keys("TIVORA"),
              (std::vector<std::string> {"Clock_02_h", "clock_01_H", "Other"}));
    EXPECT_TRUE(ini->keys("Missing").empty());
}

TEST_F(IniRead, IntegersAndBooleansFallBackToTheDefault)
{
    auto ini = open("[Main]\n"
                    "Hex=0x80\nDollar=$FF\nNeg=-5\nAll=0xFFFFFFFF\nQuoted=\"7\"\nBlank= 8 \n"
                    "Junk=12abc\nBare=0x\nBig=2147483648\nEmpty=\n"
                    "On=1\nWord=true\nTwo=2\nSpaced= 1 \nOff=0\n");
    EXPECT_EQ(ini->readInteger("Main", "Hex", 0), 128);
    EXPECT_EQ(ini->readInteger("Main", "Dollar", 0), 255);
    EXPECT_EQ(ini->readInteger("Main", "Neg", 0), -5);
    EXPECT_EQ(ini->readInteger("Main", "All", 0), -1);
    EXPECT_EQ(ini->readInteger("Main", "Quoted", 0), 7);
    EXPECT_EQ(ini->readInteger("Main", "Blank", 0), 8);
    for (const char *key : {"Junk", "Bare", "Big", "Empty", "Missing"})
        EXPECT_EQ(ini->readInteger("Main", key, 263), 263) << key;

    EXPECT_TRUE(ini->readBool("Main", "On", false));
    EXPECT_TRUE(ini->readBool("Main", "Spaced", false));
    EXPECT_FALSE(ini->readBool("Main", "Word", true));
    EXPECT_FALSE(ini->readBool("Main", "Two", true));
    EXPECT_FALSE(ini->readBool("Main", "Off", true));
    EXPECT_FALSE(ini->readBool("Main", "Empty", true));
    EXPECT_TRUE(ini->readBool("Main", "Missing", true));
    EXPECT_FALSE(ini->readBool("Main", "Missing", false));
}

// --- writing --------------------------------------------------------------------------

namespace {
const std::string LayoutFile = "; settings\n"
                               "[Main]\n"
                               "  width = 10 ; note\n"
                               "Unknown=keep\n"
                               "; comment between\n"
                               "ShowDate=1\n"
                               "\n"
                               "; about the clocks\n"
                               "[Tivora]\n"
                               "Clock_01_h=3\n";
}

TEST_F(IniWrite, ReplacesInPlaceKeepingEverythingElse)
{
    const std::string out = edited(LayoutFile, [](IniFile &ini) {
        ini.writeInteger("MAIN", "Width", 12);
        ini.writeBool("main", "showdate", false);
        ini.writeString("Tivora", "Clock_01_h", "-5");
    });
    EXPECT_EQ(out,
              "; settings\n"
              "[Main]\n"
              "width=12\n"
              "Unknown=keep\n"
              "; comment between\n"
              "ShowDate=0\n"
              "\n"
              "; about the clocks\n"
              "[Tivora]\n"
              "Clock_01_h=-5\n");
}

TEST_F(IniWrite, AppendsAfterTheLastKeyOfItsSection)
{
    const std::string out = edited(LayoutFile, [](IniFile &ini) {
        ini.writeString("Main", "Skin", "Default");
        ini.writeInteger("Main", "pTop", -263);
        ini.writeString("Tivora", "Clock_01_m", "30");
    });
    EXPECT_EQ(out,
              "; settings\n"
              "[Main]\n"
              "  width = 10 ; note\n"
              "Unknown=keep\n"
              "; comment between\n"
              "ShowDate=1\n"
              "Skin=Default\n"
              "pTop=-263\n"
              "\n"
              "; about the clocks\n"
              "[Tivora]\n"
              "Clock_01_h=3\n"
              "Clock_01_m=30\n");
}

TEST_F(IniWrite, MissingSectionGoesToTheEndOfTheFile)
{
    EXPECT_EQ(edited(LayoutFile, [](IniFile &ini) { ini.writeString("Extra", "k", "v"); }),
              LayoutFile + "[Extra]\nk=v\n");
    // A file without a final line break gets one before the new section.
    EXPECT_EQ(edited("[A]\nx=1", [](IniFile &ini) { ini.writeString("B", "y", "2"); }),
              "[A]\nx=1\n[B]\ny=2\n");
    // No file at all.
    std::filesystem::remove(file());
    {
        IniFile ini(file());
        ini.writeBool("Main", "ShowArray", true);
        ini.writeString("Main", "Skin", "");
        ini.close();
    }
    EXPECT_EQ(get(file()), "[Main]\nShowArray=1\nSkin=\n");
}

TEST_F(IniWrite, HeaderWithoutKeysIsReused)
{
    const std::string out = edited("[Main]\n[Tivora]\n; later\n", [](IniFile &ini) {
        EXPECT_FALSE(ini.sectionExists("Tivora"));
        ini.writeString("tivora", "Clock_01_h", "1");
        ini.writeString("Main", "Width", "3");
        EXPECT_TRUE(ini.sectionExists("Tivora"));
    });
    EXPECT_EQ(out, "[Main]\nWidth=3\n[Tivora]\nClock_01_h=1\n; later\n");
}

TEST_F(IniWrite, EraseSectionRemovesEveryCopyAndAllItsLines)
{
    const std::string text = "[Tivora]\nClock_01_h=1\n; c\n\n"
                             "[Main]\nA=1\n"
                             "[tivora]\nClock_01_h=2\nClock_02_h=3\n";
    const std::string out = edited(text, [](IniFile &ini) {
        ini.eraseSection("TIVORA");
        EXPECT_FALSE(ini.sectionExists("Tivora"));
        EXPECT_FALSE(ini.keyExists("Tivora", "Clock_01_h"));
        ini.eraseSection("NotThere");
    });
    EXPECT_EQ(out, "[Main]\nA=1\n");
    EXPECT_FALSE(IniFile(file()).sectionExists("Tivora"));

    // Erase and rewrite in one go, as a save of the clock list does.
    const std::string again = edited(text, [](IniFile &ini) {
        ini.eraseSection("Tivora");
        ini.writeString("Tivora", "Clock_01_h", "5");
    });
    EXPECT_EQ(again, "[Main]\nA=1\n[Tivora]\nClock_01_h=5\n");
    IniFile reread(file());
    EXPECT_EQ(reread.readInteger("Tivora", "Clock_01_h", 0), 5);
    EXPECT_FALSE(reread.keyExists("Tivora", "Clock_02_h"));
}

TEST_F(IniWrite, LineBreaksInValuesCannotAddLines)
{
    const std::string out = edited("[Main]\nA=1\n", [](IniFile &ini) {
        ini.writeString("Main", "A", "x\r\n[Evil]\nk=1");
        ini.writeString("Main", "B", "two\rlines");
    });
    EXPECT_EQ(out, "[Main]\nA=x  [Evil] k=1\nB=two lines\n");
    IniFile reread(file());
    EXPECT_FALSE(reread.sectionExists("Evil"));
    EXPECT_EQ(reread.readString("Main", "B", ""), "two lines");
}

TEST_F(IniWrite, NamesThatCannotReadBackAreRejected)
{
    put(file(), "[Main]\nA=1\n");
    {
        IniFile ini(file());
        for (const char *key : {"", "  ", "a=b", "a]", "[a", ";a", "a\nb", "a\rb"})
            EXPECT_THROW(ini.writeString("Main", key, "v"), std::invalid_argument) << key;
        for (const char *section : {"", "a]b", "a=b", "a\nb"})
            EXPECT_THROW(ini.writeString(section, "k", "v"), std::invalid_argument) << section;
        EXPECT_NO_THROW(ini.writeString("a[b", "k", "v"));
        ini.close();
    }
    EXPECT_EQ(get(file()), "[Main]\nA=1\n[a[b]\nk=v\n");
    EXPECT_EQ(IniFile(file()).readString("A[B", "K", ""), "v");
}

TEST_F(IniWrite, ValuesRoundTrip)
{
    {
        IniFile ini(file());
        ini.writeString("Main", "Skin", "  My skin ");
        ini.writeString("Main", "Desc", "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0");
        ini.writeInteger("Main", "Big", -2147483648LL);
        ini.writeBool("Main", "On", true);
        ini.writeBool("Main", "Off", false);
        ini.close();
    }
    IniFile ini(file());
    EXPECT_EQ(ini.readString("Main", "Skin", ""), "My skin"); // blanks do not survive a read
    EXPECT_EQ(ini.readString("Main", "Desc", ""),
              "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0");
    EXPECT_EQ(ini.readInteger("Main", "Big", 0), INT32_MIN);
    EXPECT_TRUE(ini.readBool("Main", "On", false));
    EXPECT_FALSE(ini.readBool("Main", "Off", true));
}

// --- files ----------------------------------------------------------------------------

TEST_F(IniFiles, Windows1251FileIsReadAsCyrillic)
{
    // [Город] Имя=Привет, Ёлка=ёж, Euro=€ in Windows-1251.
    put(file(),
        "[\xc3\xee\xf0\xee\xe4]\n\xc8\xec\xff=\xcf\xf0\xe8\xe2\xe5\xf2\n"
        "\xa8\xeb\xea\xe0=\xb8\xe6\nEuro=\x88\n");
    IniFile ini(file());
    const std::string city = "\xd0\x93\xd0\xbe\xd1\x80\xd0\xbe\xd0\xb4";
    EXPECT_EQ(ini.readString(city, "\xd0\x98\xd0\xbc\xd1\x8f", ""),
              "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    EXPECT_EQ(ini.readString(city, "\xd0\x81\xd0\xbb\xd0\xba\xd0\xb0", ""), "\xd1\x91\xd0\xb6");
    EXPECT_EQ(ini.readString(city, "Euro", ""), "\xe2\x82\xac");
}

// Every line is decoded on its own and, unless changed, written back byte for byte with
// its own line break; changed and new lines are UTF-8 with the file's first break.
TEST_F(IniFiles, EachLineKeepsItsEncodingAndBreakUnlessChanged)
{
    const std::string moscow = "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0"; // Москва
    const std::string moscow1251 = "\xcc\xee\xf1\xea\xe2\xe0";
    struct Case
    {
        std::string before;
        const char *key; // written with the value "Москва" in section Main
        std::string after;
        const char *readKey; // reads as "Москва" before the write
    };
    const Case cases[] = {
        // One Latin-1 comment does not turn the UTF-8 Cyrillic into Windows-1251.
        {"[Main]\nDesc=" + moscow + "\n; caf\xe9\n", "New",
         "[Main]\nDesc=" + moscow + "\nNew=" + moscow + "\n; caf\xe9\n", "Desc"},
        // A Windows-1251 value is read as Cyrillic; a changed one is written as UTF-8.
        {"[Main]\nA=" + moscow1251 + "\nB=\xc0\n", "B",
         "[Main]\nA=" + moscow1251 + "\nB=" + moscow + "\n", "A"},
        // A byte-order mark stays on its unchanged line.
        {"\xEF\xBB\xBF[Main]\nDesc=" + moscow + "\n", "New",
         "\xEF\xBB\xBF[Main]\nDesc=" + moscow + "\nNew=" + moscow + "\n", "Desc"},
        {"[Main]\r\nDesc=" + moscow + "\rx=1\nz=3", "z",
         "[Main]\r\nDesc=" + moscow + "\rx=1\nz=" + moscow, "Desc"},
        {"[Main]\r\nDesc=" + moscow + "\r\nz=3", "New",
         "[Main]\r\nDesc=" + moscow + "\r\nz=3\r\nNew=" + moscow + "\r\n", "Desc"},
    };
    for (const Case &c : cases) {
        const std::string out = edited(c.before, [&](IniFile &ini) {
            EXPECT_EQ(ini.readString("Main", c.readKey, ""), moscow) << c.before;
            ini.writeString("Main", c.key, moscow);
        });
        EXPECT_EQ(out, c.after) << c.before;
    }
}

TEST_F(IniFiles, ReadOnlyFileFailsAtTheFirstWriteAndStaysIntact)
{
    const std::string text = "[Main]\r\nA=1\r\n";
    put(file(), text);
    setMode(file(), 0444);
    {
        IniFile ini(file());
        EXPECT_EQ(ini.readString("Main", "A", ""), "1");
        try {
            ini.writeString("Main", "A", "2");
            ADD_FAILURE() << "no IniWriteError";
        } catch (const IniWriteError &e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + file().string());
        }
        EXPECT_THROW(ini.writeString("Main", "B", "2"), IniWriteError);
        EXPECT_THROW(ini.eraseSection("Main"), IniWriteError);
        EXPECT_EQ(ini.readString("Main", "A", ""), "1");
        EXPECT_NO_THROW(ini.close());
    }
    EXPECT_EQ(get(file()), text);
    EXPECT_EQ(modeOf(file()), 0444u);
    EXPECT_EQ(entries(), std::set<std::string> {"test.ini"});
}

TEST_F(IniFiles, WriteProtectedFolderCreatesNothing)
{
    setMode(dir, 0555);
    {
        IniFile ini(file());
        EXPECT_THROW(ini.writeString("Main", "A", "1"), IniWriteError);
    }
    EXPECT_TRUE(entries().empty());
}

TEST_F(IniFiles, WritableFileInProtectedFolderIsRewrittenInPlace)
{
    put(file(), "[Main]\nA=1\n");
    const ino_t inode = inodeOf(file());
    setMode(dir, 0555);
    {
        IniFile ini(file());
        ini.writeString("Main", "A", "2");
        ini.close();
    }
    EXPECT_EQ(get(file()), "[Main]\nA=2\n");
    EXPECT_EQ(inodeOf(file()), inode);
    EXPECT_EQ(entries(), std::set<std::string> {"test.ini"});
}

TEST_F(IniFiles, RewriteIsAtomicKeepsPermissionsAndLeavesNoTemporaryFile)
{
    put(file(), "[Main]\nA=1\n");
    setMode(file(), 0640);
    const ino_t inode = inodeOf(file());
    {
        IniFile ini(file());
        ini.writeString("Main", "A", "2");
        ini.close();
        EXPECT_FALSE(hasTempFiles());
        ini.close(); // nothing pending: no second write
    }
    EXPECT_EQ(get(file()), "[Main]\nA=2\n");
    EXPECT_EQ(modeOf(file()), 0640u);
    EXPECT_NE(inodeOf(file()), inode); // replaced by rename, not rewritten in place
    EXPECT_EQ(entries(), std::set<std::string> {"test.ini"});
}

TEST_F(IniFiles, UnchangedValuesDoNotRewriteTheFile)
{
    put(file(), "[Main]\nA=1\n");
    const ino_t inode = inodeOf(file());
    {
        IniFile ini(file());
        ini.writeString("Main", "A", "1");
        ini.eraseSection("Missing");
        ini.close();
    }
    EXPECT_EQ(inodeOf(file()), inode);
    // Reading alone never creates a file.
    const auto absent = dir / "absent.ini";
    {
        IniFile ini(absent);
        EXPECT_EQ(ini.readString("Main", "A", "d"), "d");
        ini.close();
    }
    EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(IniFiles, KeysWrittenBeforeAnErrorAreWrittenBackByTheDestructor)
{
    put(file(), "[Main]\nA=1\n");
    try {
        IniFile ini(file());
        ini.writeString("Main", "A", "2");
        ini.writeString("Main", "B", "3");
        throw std::runtime_error("a later step failed");
    } catch (const std::runtime_error &) { }
    EXPECT_EQ(get(file()), "[Main]\nA=2\nB=3\n");
    EXPECT_FALSE(hasTempFiles());
}

TEST_F(IniFiles, FailedWriteBackThrowsAndKeepsTheOldFile)
{
    put(file(), "[Main]\nA=1\n");
    {
        IniFile ini(file());
        ini.writeString("Main", "A", "2");
        // The file and its folder become write-protected before the write-back.
        setMode(file(), 0444);
        setMode(dir, 0555);
        EXPECT_THROW(ini.close(), IniWriteError);
        EXPECT_THROW(ini.close(), IniWriteError); // still pending
    } // the destructor tries once more and swallows the failure
    EXPECT_EQ(get(file()), "[Main]\nA=1\n");
    EXPECT_EQ(entries(), std::set<std::string> {"test.ini"});
}

TEST_F(IniFiles, SymbolicLinkStaysALink)
{
    std::filesystem::create_directory(dir / "real");
    put(dir / "real" / "settings.ini", "[Main]\nA=1\n");
    std::filesystem::create_symlink("real/settings.ini", file());
    {
        IniFile ini(file());
        EXPECT_EQ(ini.readString("Main", "A", ""), "1");
        ini.writeString("Main", "A", "2");
        ini.close();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(get(dir / "real" / "settings.ini"), "[Main]\nA=2\n");
}

TEST_F(IniFiles, FileThatCannotBeLoadedIsNeverOverwritten)
{
    // A sparse file over the size limit: it reads as empty and refuses writes.
    put(file(), "[Main]\nA=1\n");
    std::filesystem::resize_file(file(), IniFile::MaxFileSize + 1);
    {
        IniFile ini(file());
        EXPECT_FALSE(ini.sectionExists("Main"));
        EXPECT_THROW(ini.writeString("Main", "A", "2"), IniWriteError);
    }
    EXPECT_EQ(std::filesystem::file_size(file()), IniFile::MaxFileSize + 1);
    std::ifstream in(file(), std::ios::binary);
    std::string start(11, '\0');
    in.read(start.data(), 11);
    EXPECT_EQ(start, "[Main]\nA=1\n");

    // A folder in the file's place.
    const auto folder = dir / "folder.ini";
    std::filesystem::create_directory(folder);
    IniFile ini(folder);
    EXPECT_THROW(ini.writeString("Main", "A", "2"), IniWriteError);
}

TEST_F(IniFiles, HundredThousandKeysLoadAndStayAddressable)
{
    constexpr int Count = 100000;
    constexpr int Appended = 20000;
    std::string text = "[Main]\nWidth=10\n[Tivora]\n";
    char buffer[64];
    for (int i = 1; i <= Count; ++i) {
        std::snprintf(buffer, sizeof buffer, "Clock_%.2d_h=%d\n", i, i % 24);
        text += buffer;
    }
    text += "[Last]\nx=1\n";
    put(file(), text);
    {
        IniFile ini(file());
        EXPECT_EQ(ini.keys("Tivora").size(), std::size_t(Count));
        EXPECT_EQ(ini.readInteger("Tivora", "Clock_01_h", -1), 1);
        EXPECT_EQ(ini.readInteger("Tivora", "clock_50000_H", -1), 50000 % 24);
        EXPECT_EQ(ini.readInteger("Tivora", "Clock_100000_h", -1), 100000 % 24);
        EXPECT_EQ(ini.readInteger("Last", "x", -1), 1);
        // Many appends to one section, then a change at its start.
        for (int i = 1; i <= Appended; ++i) {
            std::snprintf(buffer, sizeof buffer, "Clock_%.2d_m", i);
            ini.writeInteger("Tivora", buffer, 30);
        }
        ini.writeInteger("Tivora", "Clock_01_h", -5);
        ini.close();
    }
    IniFile ini(file());
    const auto keys = ini.keys("Tivora");
    ASSERT_EQ(keys.size(), std::size_t(Count + Appended));
    EXPECT_EQ(keys[Count - 1], "Clock_100000_h");
    EXPECT_EQ(keys[Count], "Clock_01_m");
    EXPECT_EQ(keys.back(), "Clock_20000_m");
    EXPECT_EQ(ini.readInteger("Tivora", "Clock_01_h", 0), -5);
    EXPECT_EQ(ini.readInteger("Tivora", "Clock_17777_m", 0), 30);
    EXPECT_EQ(ini.readInteger("Last", "x", -1), 1);
}

// A file confined to folders is written only while its real path lies in one of them.
TEST_F(IniFiles, ConfinedWritesNeverLeaveTheFolders)
{
    const auto data = dir / "data";
    const auto outside = dir / "outside";
    std::filesystem::create_directories(data);
    std::filesystem::create_directories(outside / "skins");
    std::filesystem::create_directory_symlink(outside / "skins", data / "Skins");
    const std::string text = "[A]\nx=1\n";
    struct Case
    {
        std::filesystem::path file;
        std::filesystem::path link; // what the file links to; empty: a plain file
        std::filesystem::path target; // where the text really is
        bool written;
    };
    const Case cases[] = {
        {data / "plain.ini", {}, data / "plain.ini", true},
        {data / "inner.ini", "plain2.ini", data / "plain2.ini", true},
        {data / "Skins" / "s.ini", {}, outside / "skins" / "s.ini", true},
        {data / "escape.ini", outside / "t1.ini", outside / "t1.ini", false},
        {data / "updown.ini", "../outside/t2.ini", outside / "t2.ini", false},
        {data / "chain.ini", "escape2.ini", outside / "t3.ini", false},
        {data / "dangling.ini", outside / "new.ini", outside / "new.ini", false},
    };
    std::filesystem::create_symlink(outside / "t3.ini", data / "escape2.ini");
    for (const Case &c : cases) {
        const bool exists = c.target != outside / "new.ini";
        if (exists)
            put(c.target, text);
        if (!c.link.empty())
            std::filesystem::create_symlink(c.link, c.file);
        IniFile ini(c.file);
        ini.confineWritesTo({data, data / "Skins"});
        ini.writeString("A", "x", "2");
        ini.eraseSection("B");
        ini.close();
        if (c.written)
            EXPECT_EQ(get(c.target), "[A]\nx=2\n") << c.file;
        else if (exists)
            EXPECT_EQ(get(c.target), text) << c.file;
        else
            EXPECT_FALSE(std::filesystem::exists(c.target)) << c.file;
    }
}
