#include "core/base/ini_file.h"

#include "core/base/ini_syntax.h"
#include "core/base/int_text.h"
#include "core/base/text_encoding.h"
#include "platform/file_access.h"

#include <algorithm>
#include <cstdio>

namespace tivora {

using namespace ini_syntax;

IniWriteError::IniWriteError(const std::string &path)
    : std::runtime_error("Unable to write to " + path)
{ }

IniFile::IniFile(std::filesystem::path path, std::uintmax_t maxFileSize) : m_path(std::move(path))
{
    m_sections.emplace_back(); // the preamble
    std::string bytes;
    if (readFile(m_path, bytes, maxFileSize)) {
        parse(bytes);
        return;
    }
    // A missing file is simply empty; one that is there but could not be read must
    // not be overwritten with the empty model.
    m_loadFailed = !isMissing(m_path);
}

IniFile::~IniFile()
{
    if (!m_dirty)
        return;
    try {
        writeFileAtomically(m_path, serialize());
    } catch (...) { }
}

void IniFile::parse(std::string_view bytes)
{
    m_newline = detectNewline(bytes);

    // Split the bytes first (line breaks, brackets, '=' and ';' are the same bytes in
    // both encodings), so that every section's storage can be sized once.
    std::vector<Line> raw;
    raw.reserve(std::size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\n' && c != '\r')
            continue;
        Line &line = raw.emplace_back();
        line.text = bytes.substr(start, i - start);
        line.lineBreak = c == '\n' ? Break::Lf : Break::Cr;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            line.lineBreak = Break::CrLf;
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        Line &line = raw.emplace_back();
        line.text = bytes.substr(start);
        line.lineBreak = Break::None;
    }
    // Each line in its own encoding: one stray byte must not change how the others read.
    for (std::size_t i = 0; i < raw.size(); ++i) {
        Line &line = raw[i];
        const bool bom = i == 0 && line.text.starts_with("\xEF\xBB\xBF");
        if (bom || !isValidUtf8(line.text)) {
            line.raw = std::move(line.text);
            line.text = bom ? decodeText(line.raw) : cp1251ToUtf8(line.raw);
        }
    }
    std::vector<std::string_view> lines;
    lines.reserve(raw.size());
    for (const Line &line : raw)
        lines.push_back(line.text);

    std::vector<std::size_t> sizes(1, 0); // lines under each header, preamble first
    for (std::string_view line : lines) {
        if (firstNonBlank(line) == '[')
            sizes.push_back(0);
        else
            ++sizes.back();
    }
    m_sections.reserve(sizes.size());
    m_sections[0].body.reserve(sizes[0]);

    std::size_t current = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        const char first = firstNonBlank(line);
        if (first == '[') {
            closeSection(m_sections[current]);
            current = m_sections.size();
            Section &section = m_sections.emplace_back();
            section.folded = foldCase(headerName(line));
            section.header = std::move(raw[n]);
            section.body.reserve(sizes[current]);
            section.keyIndex.reserve(sizes[current]);
            if (!section.folded.empty())
                m_sectionIndex.try_emplace(section.folded, current);
            continue;
        }
        Section &section = m_sections[current];
        Line entry = std::move(raw[n]);
        if (current != 0 && first != ';') {
            const std::string_view text = entry.text; // a moved short text lives elsewhere
            const std::size_t eq = text.find('=');
            if (eq != std::string_view::npos) {
                const std::string_view key = trim(text.substr(0, eq));
                if (!key.empty()) {
                    entry.eq = eq;
                    section.keyIndex.try_emplace(foldCase(key), section.body.size());
                }
            }
        }
        section.body.push_back(std::move(entry));
    }
    closeSection(m_sections[current]);
}

void IniFile::closeSection(Section &section)
{
    std::size_t keep = section.body.size();
    while (keep > 0 && !section.body[keep - 1].isKey())
        --keep;
    section.tail.assign(std::make_move_iterator(section.body.begin() + std::ptrdiff_t(keep)),
                        std::make_move_iterator(section.body.end()));
    section.body.resize(keep);
}

const IniFile::Section *IniFile::findSection(std::string_view section) const
{
    const auto it = m_sectionIndex.find(foldCase(trim(section)));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

IniFile::Section *IniFile::findSection(std::string_view section)
{
    const auto it = m_sectionIndex.find(foldCase(trim(section)));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

const IniFile::Line *IniFile::findLine(std::string_view section, std::string_view key) const
{
    const Section *s = findSection(section);
    if (!s)
        return nullptr;
    const auto it = s->keyIndex.find(foldCase(trim(key)));
    return it == s->keyIndex.end() ? nullptr : &s->body[it->second];
}

std::string_view IniFile::valueOf(const Line &line)
{
    std::string_view value = trim(std::string_view(line.text).substr(line.eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return cutToChars(value, MaxValueLength);
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const
{
    const Line *line = findLine(section, key);
    return std::string(line ? valueOf(*line) : defaultValue);
}

std::int32_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const
{
    const Line *line = findLine(section, key);
    return line ? parseIntegerOr(valueOf(*line), defaultValue) : defaultValue;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    const Line *line = findLine(section, key);
    return line ? parseBoolean(valueOf(*line)) : defaultValue;
}

bool IniFile::sectionExists(std::string_view section) const
{
    const Section *s = findSection(section);
    return s && !s->keyIndex.empty();
}

bool IniFile::keyExists(std::string_view section, std::string_view key) const
{
    return findLine(section, key) != nullptr;
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> result;
    const Section *s = findSection(section);
    if (!s)
        return result;
    result.reserve(s->keyIndex.size());
    for (std::size_t i = 0; i < s->body.size(); ++i) {
        const Line &line = s->body[i];
        if (!line.isKey())
            continue;
        const std::string_view name = trim(std::string_view(line.text).substr(0, line.eq));
        const auto it = s->keyIndex.find(foldCase(name));
        if (it != s->keyIndex.end() && it->second == i) // first occurrence only
            result.emplace_back(name);
    }
    return result;
}

void IniFile::confineWritesTo(std::vector<std::filesystem::path> folders)
{
    m_confinedTo = std::move(folders);
}

bool IniFile::ensureWritable()
{
    if (m_writableChecked)
        return !m_writesDropped;
    if (!m_confinedTo.empty()
        && std::none_of(m_confinedTo.begin(), m_confinedTo.end(),
                        [&](const std::filesystem::path &f) { return staysInside(m_path, f); })) {
        std::fprintf(stderr, "tivora: not writing %s: it leads outside %s\n", m_path.c_str(),
                     m_confinedTo.front().c_str());
        m_writesDropped = m_writableChecked = true;
        return false;
    }
    if (m_loadFailed || !canWriteFile(m_path))
        throw IniWriteError(m_path.string());
    m_writableChecked = true;
    return true;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view sectionName = checkedName(section, false);
    const std::string_view keyName = checkedName(key, true);
    if (!ensureWritable())
        return;

    // A value must stay on its own line.
    std::string text;
    text.reserve(value.size());
    for (char c : value)
        text += (c == '\r' || c == '\n') ? ' ' : c;

    Section *s = findSection(sectionName);
    if (!s) {
        Section created;
        created.header.text.append("[").append(sectionName).append("]");
        created.folded = foldCase(sectionName);
        m_sectionIndex[created.folded] = m_sections.size();
        m_sections.push_back(std::move(created));
        s = &m_sections.back();
    }

    std::string folded = foldCase(keyName);
    const auto it = s->keyIndex.find(folded);
    if (it != s->keyIndex.end()) {
        Line &line = s->body[it->second];
        const std::string_view spelled = trim(std::string_view(line.text).substr(0, line.eq));
        std::string replaced;
        replaced.reserve(spelled.size() + 1 + text.size());
        replaced.append(spelled).append("=").append(text);
        if (replaced != line.text) {
            line.eq = spelled.size();
            line.text = std::move(replaced);
            line.raw.clear(); // written in UTF-8 from now on
            m_dirty = true;
        }
        return;
    }
    Line line;
    line.text.reserve(keyName.size() + 1 + text.size());
    line.text.append(keyName).append("=").append(text);
    line.eq = keyName.size();
    s->keyIndex.emplace(std::move(folded), s->body.size());
    s->body.push_back(std::move(line));
    m_dirty = true;
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int64_t value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section)
{
    // Every section of that name goes, not only the first: a second copy (a file
    // edited by hand) would otherwise become the one read, and erased clocks would
    // come back at the next load.
    const std::string folded = foldCase(trim(section));
    if (folded.empty())
        return;
    bool found = false;
    for (std::size_t i = 1; i < m_sections.size(); ++i) {
        Section &s = m_sections[i];
        if (s.erased || s.folded != folded)
            continue;
        if (!found && !ensureWritable())
            return;
        found = true;
        s.erased = true;
        s.header = {};
        std::vector<Line>().swap(s.body);
        std::vector<Line>().swap(s.tail);
        s.keyIndex = {};
    }
    if (found) {
        m_sectionIndex.erase(folded);
        m_dirty = true;
    }
}

std::string IniFile::serialize() const
{
    std::size_t size = 0;
    for (const Section &s : m_sections) {
        if (s.erased)
            continue;
        size += s.header.text.size() + m_newline.size();
        for (const Line &line : s.body)
            size += line.text.size() + m_newline.size();
        for (const Line &line : s.tail)
            size += line.text.size() + m_newline.size();
    }
    std::string out;
    out.reserve(size + size / 8);
    // A line read without a break (the file's last) gets one only when a line follows.
    bool breakOwed = false;
    const auto append = [&](const Line &line) {
        if (breakOwed)
            out.append(m_newline);
        out.append(line.raw.empty() ? line.text : line.raw);
        breakOwed = false;
        switch (line.lineBreak) {
        case Break::Default:
            out.append(m_newline);
            break;
        case Break::None:
            breakOwed = true;
            break;
        case Break::Lf:
            out.append("\n");
            break;
        case Break::CrLf:
            out.append("\r\n");
            break;
        case Break::Cr:
            out.append("\r");
            break;
        }
    };
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        const Section &s = m_sections[i];
        if (s.erased)
            continue;
        if (i != 0)
            append(s.header);
        for (const Line &line : s.body)
            append(line);
        for (const Line &line : s.tail)
            append(line);
    }
    return out;
}

void IniFile::close()
{
    if (!m_dirty)
        return;
    if (!writeFileAtomically(m_path, serialize()))
        throw IniWriteError(m_path.string());
    m_dirty = false;
}

} // namespace tivora
