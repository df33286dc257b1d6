// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nomix {

// The text form of the settings file: a registry export (REGEDIT4) that
// users can read, back up and edit by hand, held as keys and values.
//
// - Every value keeps its type and its exact bytes. A string whose bytes are
//   all printable is written inline, "name"="text", with '\' and '"'
//   escaped; any other string (control bytes, a line break, a NUL, a lone
//   byte 0x7f) is written as hex(1): with its bytes spelled out, so nothing
//   is lost in a text editor. As in an export, a string's stored bytes end
//   with one NUL terminator; reading removes exactly that one.
// - Keys and values of types we do not know are kept as they are.
// - Comments (';' lines) are accepted but not kept.
//
// Pure text work, no files: the settings file and the fuzzers share it.
class RegistryText {
  public:
    // Value types, with the numbers the export format uses; a file may hold
    // any other number, which is kept as it is.
    enum class ValueType : uint32_t {
        None = 0,
        String = 1,
        ExpandString = 2,
        Binary = 3,
        Dword = 4,
    };

    struct Value {
        std::string name; // empty for the key's default value ("@")
        ValueType type = ValueType::None;
        std::string data; // the stored bytes, exactly
        bool operator==(const Value&) const = default;
    };
    struct Key {
        std::string path; // full path, "HKEY_CURRENT_USER\Software\..."
        std::vector<Value> values;
        bool operator==(const Key&) const = default;
    };
    using Document = std::vector<Key>;

    // The largest integer value, in bytes: a double word.
    static constexpr size_t kMaxIntegerSize = 4;

    // Nothing for a text that is not a registry export as described above.
    static std::optional<Document> parse(std::string_view text);
    // The same, telling the line (1-based) at which a text that is not an
    // export stops being one.
    static std::optional<Document> parse(std::string_view text, size_t& failedLine);
    // A text that parse() reads back as the same document (names and key
    // paths must hold no line break).
    static std::string format(const Document& document);

    // Key paths and value names compare without regard to the case of ASCII
    // letters, as the registry compares them.
    static bool sameName(std::string_view a, std::string_view b);
    static Key* findKey(Document& document, std::string_view path);
    static Key& findOrAddKey(Document& document, std::string_view path);
    // A value of the same name is replaced where it stands; a new one goes
    // last.
    static void setValue(Key& key, Value value);

    // A double word's stored bytes, least significant first.
    static std::string dwordBytes(uint32_t number);
    // A shorter value is read as if its missing high bytes were zero.
    static uint32_t dwordValue(std::string_view bytes);
};

} // namespace nomix
