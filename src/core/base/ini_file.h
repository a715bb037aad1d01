#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tivora {

// Raised by the first write to a file that cannot be written, and by a failed
// write-back. The message reads "Unable to write to <path>".
class IniWriteError : public std::runtime_error
{
public:
    explicit IniWriteError(const std::string &path);
};

// One INI file, parsed once when opened. Reads are answered from the parsed model,
// writes change the model, and the whole file is written back atomically (temporary
// file in the same folder, then rename) by close() or, when a routine leaves early
// because of an error, by the destructor, so the keys written before the error stay
// written. Line layout, comments and unknown keys survive every rewrite.
//
// Section and key names match without regard to letter case; values are trimmed,
// lose one pair of enclosing quotes and are cut at 2047 characters. A section that
// holds no key counts as missing. Of repeated sections or keys the first one wins.
// Each line is decoded on its own: valid UTF-8 as UTF-8, anything else as Windows-1251
// (a UTF-8 byte-order mark at the start is skipped). A rewrite puts every line it did
// not change back byte for byte, line break included; changed and new lines are written
// in UTF-8 with the file's first line break.
//
// A file that exists but cannot be loaded (unreadable, not a regular file, or larger
// than MaxFileSize or the limit given) reads as empty and refuses writes: writing the empty model back
// would destroy text that was never read.
class IniFile
{
public:
    static constexpr std::size_t MaxValueLength = 2047; // characters (code points)
    static constexpr std::uintmax_t MaxFileSize = 64u * 1024u * 1024u;

    explicit IniFile(std::filesystem::path path, std::uintmax_t maxFileSize = MaxFileSize);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    const std::filesystem::path &path() const { return m_path; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X"/"$", within 32 bits; else the default.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // True only for exactly "1"; a missing key gives the default.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    bool sectionExists(std::string_view section) const;
    bool keyExists(std::string_view section, std::string_view key) const;
    // Key names of a section in file order (first occurrence of each).
    std::vector<std::string> keys(std::string_view section) const;

    // Replaces the key's value in place (the line becomes "Key=value", keeping the
    // key's spelling), or appends the key after the last key of its section; a missing
    // section is created at the end of the file. Line breaks in the value become
    // blanks. Throws IniWriteError when the file (or, for a new file, its folder)
    // cannot be written, and std::invalid_argument for a section or key name that
    // could not be read back (empty, or holding '=', ']' or a line break).
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    // Removes every section of that name: its header and every line under it up to
    // the next header (no-op when missing).
    void eraseSection(std::string_view section);

    // Keeps writes from leaving the folders: when the file's real path lies inside none
    // of them (a downloaded file that links elsewhere), the file is still read, but the
    // first write says on stderr that the file is not written, and every write is then
    // dropped without an error, so that a save goes on with its other files.
    void confineWritesTo(std::vector<std::filesystem::path> folders);

    // Writes pending changes back (atomically, flushed to disk once). Throws
    // IniWriteError on failure. Safe to call more than once.
    void close();

private:
    enum class Break : std::uint8_t { Default, None, Lf, CrLf, Cr };
    struct Line
    {
        std::string text; // the line decoded to UTF-8, without its line break
        std::size_t eq = std::string::npos; // position of the key's '='; npos: no key
        // The bytes as read when they differ from text (another encoding, a byte-order
        // mark); written back as long as the line is unchanged.
        std::string raw;
        Break lineBreak = Break::Default; // as read; Default for lines made here
        bool isKey() const { return eq != std::string::npos; }
    };
    struct Section
    {
        Line header; // the header line (empty for the preamble)
        std::string folded; // the name, trimmed and case-folded
        // The lines up to the section's last key, then the blank lines, comments and
        // other non-key lines after it. New keys are appended to body, so they land
        // after the last key without moving anything.
        std::vector<Line> body;
        std::vector<Line> tail;
        std::unordered_map<std::string, std::size_t> keyIndex; // folded key -> body line
        bool erased = false;
    };

    // The value as read: trimmed, without one pair of enclosing quotes, cut.
    static std::string_view valueOf(const Line &line);
    void parse(std::string_view text);
    void closeSection(Section &section);
    const Section *findSection(std::string_view section) const;
    Section *findSection(std::string_view section);
    const Line *findLine(std::string_view section, std::string_view key) const;
    // False when writes are dropped (see confineWritesTo); throws when they fail.
    bool ensureWritable();
    std::string serialize() const;

    std::filesystem::path m_path;
    std::vector<Section> m_sections; // m_sections[0] is the preamble before any header
    std::unordered_map<std::string, std::size_t> m_sectionIndex; // folded name -> first
    std::string m_newline = "\n";
    bool m_loadFailed = false; // the file exists but could not be read
    bool m_writableChecked = false;
    std::vector<std::filesystem::path> m_confinedTo;
    bool m_writesDropped = false;
    bool m_dirty = false;
};

} // namespace tivora
