#pragma once
// QelString: the program's UTF-16 string with value semantics.
//
// Text is UTF-16 in memory and UTF-8 on disk, in JSON and in file names.
// Linux file names are arbitrary bytes, so the UTF-8 conversions here are
// lossless in both directions: each byte of an invalid UTF-8 sequence becomes
// a lone surrogate U+DC80..U+DCFF and is written back as that same byte.
// A file with any name is therefore found, listed and acted on as itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class QelString;
template <typename T> class QelArray;
using QelStringArray = QelArray<QelString>;

// One argument of QelString::Format; built implicitly from the supported types.
struct QelFormatArg {
    enum class Kind { Int, UInt, Double, Text, Char };
    Kind kind;
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d = 0;
    std::u16string_view text;

    template <typename T>
        requires(std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, char>)
    QelFormatArg(T v) : kind(Kind::Int), i(v), u(static_cast<std::uint64_t>(v)) {}
    template <typename T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, bool> &&
                 !std::is_same_v<T, char16_t>)
    QelFormatArg(T v) : kind(Kind::UInt), i(static_cast<std::int64_t>(v)), u(v) {}
    QelFormatArg(bool v) : kind(Kind::Int), i(v ? 1 : 0), u(v ? 1 : 0) {}
    QelFormatArg(double v) : kind(Kind::Double), d(v) {}
    QelFormatArg(char16_t c) : kind(Kind::Char), i(c), u(c) {}
    QelFormatArg(const char16_t* s) : kind(Kind::Text), text(s ? std::u16string_view(s) : std::u16string_view()) {}
    QelFormatArg(std::u16string_view s) : kind(Kind::Text), text(s) {}
    QelFormatArg(const std::u16string& s) : kind(Kind::Text), text(s) {}
    QelFormatArg(const QelString& s);
};

class QelString {
public:
    static constexpr int kFormatLimit = 4096;  // Format output is cut to this many characters

    QelString() = default;  // unset: reads as empty text, but Equals() is false
    QelString(const char16_t* text);
    QelString(const char16_t* text, std::size_t count);
    QelString(std::u16string_view text);
    QelString(std::u16string text);
    QelString(const QelString& other);
    QelString(QelString&& other) noexcept;
    QelString& operator=(const QelString& other);
    QelString& operator=(QelString&& other) noexcept;
    ~QelString();

    // UTF-8 (or file-name bytes) to UTF-16; invalid bytes map to U+DC80..U+DCFF.
    static QelString FromUtf8(const char* bytes, std::size_t count);
    static QelString FromUtf8(std::string_view bytes) { return FromUtf8(bytes.data(), bytes.size()); }
    static QelString FromUtf8(const char* zeroTerminated);
    // File names use the same lossless mapping; the separate name says what the text is.
    static QelString FromFileName(std::string_view bytes) { return FromUtf8(bytes); }

    // UTF-8 form; the buffer belongs to the string and stays valid until the
    // next conversion or change of the string.
    const char* ToUtf8() const;
    std::string ToStdString() const;
    std::string ToFileName() const { return ToStdString(); }

    // printf-style formatting into this string (see QelFormatArg for the
    // argument types). Output beyond kFormatLimit characters is cut.
    template <typename... Args>
    QelString& Format(const char16_t* format, const Args&... args) {
        const QelFormatArg list[] = {QelFormatArg(args)..., QelFormatArg(0)};
        return FormatArgs(format, list, sizeof...(Args));
    }
    template <typename... Args>
    static QelString Formatted(const char16_t* format, const Args&... args) {
        QelString s;
        s.Format(format, args...);
        return s;
    }
    QelString& FormatArgs(const char16_t* format, const QelFormatArg* args, std::size_t count);

    // Characters from start, count of them, or to the end when count is -1.
    QelString Mid(int start, int count = -1) const;
    QelString Left(int count) const { return Mid(0, count); }

    QelString& Append(char16_t c);
    QelString& Append(const QelString& text);
    QelString& Append(std::u16string_view text);
    QelString& Append(const char16_t* text) { return Append(std::u16string_view(text ? text : u"")); }
    QelString& operator+=(char16_t c) { return Append(c); }
    QelString& operator+=(const QelString& text) { return Append(text); }
    QelString& operator+=(const char16_t* text) { return Append(std::u16string_view(text)); }
    friend QelString operator+(const QelString& a, const QelString& b) {
        QelString r(a);
        r.Append(b);
        return r;
    }

    // Exact, case-sensitive; false when this string is unset or text is null.
    bool Equals(const QelString& text) const;
    bool Equals(const char16_t* text) const;

    // Clears out and fills it with the pieces of text between separators.
    static int Split(const QelString& text, const QelString& separator, QelStringArray& out);

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    bool IsSet() const { return m_set; }
    void Empty();
    const char16_t* c_str() const { return m_text.c_str(); }
    const std::u16string& str() const { return m_text; }
    // Moves the text out, leaving this empty: for handing a large list on without a copy.
    std::u16string TakeText() { return std::move(m_text); }
    std::u16string_view view() const { return m_text; }
    char16_t operator[](int index) const { return m_text[static_cast<std::size_t>(index)]; }
    char16_t GetAt(int index) const { return m_text[static_cast<std::size_t>(index)]; }

    // Index of the first occurrence at or after start, -1 when absent.
    int Find(const QelString& sub, int start = 0) const;
    int Find(char16_t c, int start = 0) const;
    // Index of the last occurrence of c, -1 when absent.
    int ReverseFind(char16_t c) const;
    // Removes trailing U+0020 spaces in place.
    QelString& TrimRightSpaces();

    // For ordered containers and plain comparisons (unset equals empty here).
    friend bool operator==(const QelString& a, const QelString& b) { return a.m_text == b.m_text; }
    friend bool operator<(const QelString& a, const QelString& b) { return a.m_text < b.m_text; }

private:
    void DropUtf8Cache() { m_utf8.reset(); }

    std::u16string m_text;
    bool m_set = false;
    mutable std::unique_ptr<std::string> m_utf8;  // made on demand by ToUtf8()
};

inline QelFormatArg::QelFormatArg(const QelString& s) : kind(Kind::Text), text(s.view()) {}

// Plain conversions used by QelString and by code that has raw text at hand.
namespace qel {
std::u16string Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view text);
// Append forms for hot loops (paths built piece by piece); ASCII runs are copied directly.
void AppendUtf8AsUtf16(std::u16string& out, std::string_view bytes);
void AppendUtf16AsUtf8(std::string& out, std::u16string_view text);
}  // namespace qel

#include "QelContainers.h"
