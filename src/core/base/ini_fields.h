#pragma once

#include "core/base/ini_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

namespace tivora {

// One key of an INI section bound to a field of a record: the table that drives both
// reading and writing, so every key, its field and its kind are written down once.
// The field's default is the value it has in the record of defaults passed to
// readFields (for most records simply a default-constructed one).
template<class Record> struct IniField
{
    using Ref =
        std::variant<bool &(*)(Record &), std::uint8_t &(*)(Record &), std::uint16_t &(*)(Record &),
                     std::int32_t &(*)(Record &), std::string &(*)(Record &)>;
    const char *key;
    Ref field;
    // Read in a second pass, after every other key (defaults computed from those).
    bool late = false;
};

// Binds a key to a member (path) of the record: TIVORA_FIELD(TOptions, Digits.size).
#define TIVORA_FIELD(Record, member) +[](Record &r) -> decltype((r.member)) { return r.member; }

// Reads every field of the table (the late ones only when `late` is set) from the
// section, each from its key or else from the same field of `defaults`. Integers wider
// than the field keep their low bits; booleans are true only for "1".
template<class Record>
void readFields(const IniFile &ini, const char *section, std::span<const IniField<Record>> table,
                Record &record, const Record &defaults, bool late = false)
{
    Record &fallback = const_cast<Record &>(defaults); // only read through
    for (const IniField<Record> &f : table) {
        if (f.late != late)
            continue;
        std::visit(
            [&](auto ref) {
                auto &field = ref(record);
                const auto def = ref(fallback);
                using T = std::remove_reference_t<decltype(field)>;
                if constexpr (std::is_same_v<T, bool>)
                    field = ini.readBool(section, f.key, def);
                else if constexpr (std::is_same_v<T, std::string>)
                    field = ini.readString(section, f.key, def);
                else
                    field = static_cast<T>(ini.readInteger(section, f.key, def));
            },
            f.field);
    }
}

// Writes every field of the table into the section, in table order. Throws
// IniWriteError at the first key that cannot be written.
template<class Record>
void writeFields(IniFile &ini, const char *section, std::span<const IniField<Record>> table,
                 const Record &record)
{
    Record &source = const_cast<Record &>(record); // only read through
    for (const IniField<Record> &f : table) {
        std::visit(
            [&](auto ref) {
                const auto &value = ref(source);
                using T = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<T, bool>)
                    ini.writeBool(section, f.key, value);
                else if constexpr (std::is_same_v<T, std::string>)
                    ini.writeString(section, f.key, value);
                else
                    ini.writeInteger(section, f.key, value);
            },
            f.field);
    }
}

} // namespace tivora
