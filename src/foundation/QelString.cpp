#include "QelString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace qel {

namespace {
constexpr char16_t kEscapeBase = 0xDC00;  // invalid byte b becomes U+DC00 + b (b >= 0x80)

// Length of the valid UTF-8 sequence at p (1..4), or 0 when it is not valid.
std::size_t ValidSequence(const unsigned char* p, std::size_t left, char32_t& cp) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (left < len) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8;
    // they are escaped byte by byte so that they round-trip.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
}  // namespace

void AppendUtf8AsUtf16(std::u16string& out, std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t at = out.size();
    out.resize(at + n);  // never more units than bytes
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            out[at++] = p[i++];
            continue;
        }
        char32_t cp;
        const std::size_t len = ValidSequence(p + i, n - i, cp);
        if (len == 0) {
            out[at++] = static_cast<char16_t>(kEscapeBase + p[i]);
            ++i;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out[at++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[at++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            i += len;
        } else {
            out[at++] = static_cast<char16_t>(cp);
            i += len;
        }
    }
    out.resize(at);
}

void AppendUtf16AsUtf8(std::string& out, std::u16string_view text) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        // A run of ASCII goes over in one piece: large exports are mostly ASCII paths.
        std::size_t end = i;
        while (end < n && text[end] < 0x80) ++end;
        if (end > i) {
            const std::size_t at = out.size();
            out.resize(at + (end - i));
            std::copy(text.begin() + static_cast<std::ptrdiff_t>(i), text.begin() + static_cast<std::ptrdiff_t>(end),
                      out.begin() + static_cast<std::ptrdiff_t>(at));
            i = end;
            if (i == n) break;
        }
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            out.push_back(static_cast<char>(c - kEscapeBase));  // an escaped raw byte
        } else {
            AppendUtf8(out, c);  // other lone surrogates are kept as 3-byte forms
        }
    }
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    AppendUtf8AsUtf16(out, bytes);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf16AsUtf8(out, text);
    return out;
}

}  // namespace qel

// ---- construction --------------------------------------------------------

QelString::QelString(const char16_t* text) : m_text(text ? text : u""), m_set(text != nullptr) {}
QelString::QelString(const char16_t* text, std::size_t count) : m_set(text != nullptr) {
    if (text) m_text.assign(text, std::find(text, text + count, u'\0'));
}
QelString::QelString(std::u16string_view text) : m_text(text), m_set(true) {}
QelString::QelString(std::u16string text) : m_text(std::move(text)), m_set(true) {}
QelString::QelString(const QelString& other) : m_text(other.m_text), m_set(other.m_set) {}
QelString::QelString(QelString&& other) noexcept
    : m_text(std::move(other.m_text)), m_set(other.m_set), m_utf8(std::move(other.m_utf8)) {}
QelString& QelString::operator=(const QelString& other) {
    if (this != &other) {
        m_text = other.m_text;
        m_set = other.m_set;
        DropUtf8Cache();
    }
    return *this;
}
QelString& QelString::operator=(QelString&& other) noexcept {
    m_text = std::move(other.m_text);
    m_set = other.m_set;
    m_utf8 = std::move(other.m_utf8);
    return *this;
}
QelString::~QelString() = default;

QelString QelString::FromUtf8(const char* bytes, std::size_t count) {
    if (!bytes) return QelString(u"");
    return QelString(qel::Utf8ToUtf16(std::string_view(bytes, count)));
}
QelString QelString::FromUtf8(const char* zeroTerminated) {
    return zeroTerminated ? FromUtf8(zeroTerminated, std::strlen(zeroTerminated)) : QelString(u"");
}

const char* QelString::ToUtf8() const {
    if (!m_utf8) m_utf8 = std::make_unique<std::string>(qel::Utf16ToUtf8(m_text));
    return m_utf8->c_str();
}
std::string QelString::ToStdString() const { return qel::Utf16ToUtf8(m_text); }

// ---- editing -------------------------------------------------------------

void QelString::Empty() {
    m_text.clear();
    m_set = true;
    DropUtf8Cache();
}

QelString QelString::Mid(int start, int count) const {
    const int len = GetLength();
    if (start < 0) start = 0;
    if (start >= len) return QelString(u"");
    const int avail = len - start;
    const int n = (count < 0 || count > avail) ? avail : count;
    return QelString(std::u16string_view(m_text).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(n)));
}

QelString& QelString::Append(char16_t c) {
    m_text.push_back(c);
    m_set = true;
    DropUtf8Cache();
    return *this;
}
QelString& QelString::Append(const QelString& text) { return Append(text.view()); }
QelString& QelString::Append(std::u16string_view text) {
    m_text.append(text);
    m_set = true;
    DropUtf8Cache();
    return *this;
}

QelString& QelString::TrimRightSpaces() {
    std::size_t n = m_text.size();
    while (n > 0 && m_text[n - 1] == u' ') --n;
    if (n != m_text.size()) {
        m_text.resize(n);
        DropUtf8Cache();
    }
    return *this;
}

// ---- comparison and search ----------------------------------------------

bool QelString::Equals(const QelString& text) const { return m_set && text.m_set && m_text == text.m_text; }
bool QelString::Equals(const char16_t* text) const { return m_set && text && m_text == text; }

int QelString::Find(const QelString& sub, int start) const {
    if (start < 0) start = 0;
    const auto pos = m_text.find(sub.m_text, static_cast<std::size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}
int QelString::Find(char16_t c, int start) const {
    if (start < 0) start = 0;
    const auto pos = m_text.find(c, static_cast<std::size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}
int QelString::ReverseFind(char16_t c) const {
    const auto pos = m_text.rfind(c);
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int QelString::Split(const QelString& text, const QelString& separator, QelStringArray& out) {
    out.RemoveAll();
    const std::u16string& s = text.m_text;
    const std::u16string& sep = separator.m_text;
    if (s.empty()) return 0;
    if (sep.empty()) {
        out.Add(text);
        return 1;
    }
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = s.find(sep, pos);
        if (hit == std::u16string::npos) break;
        out.Add(QelString(std::u16string_view(s).substr(pos, hit - pos)));
        pos = hit + sep.size();
    }
    // A separator at the very end leaves one empty piece; otherwise the rest.
    out.Add(QelString(std::u16string_view(s).substr(pos)));
    return out.GetCount();
}

// ---- formatting ------------------------------------------------------------

namespace {

struct Directive {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = -1;
    int precision = -1;
};

void Pad(std::u16string& out, std::u16string_view body, const Directive& directive, bool numericZeroPad) {
    const int len = static_cast<int>(body.size());
    if (directive.width <= len) {
        out.append(body);
        return;
    }
    const std::size_t fill = static_cast<std::size_t>(directive.width - len);
    if (directive.left) {
        out.append(body);
        out.append(fill, u' ');
    } else if (numericZeroPad) {
        // Zeros go after a sign or a 0x prefix.
        std::size_t prefix = 0;
        if (!body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' ')) prefix = 1;
        if (body.size() >= prefix + 2 && body[prefix] == u'0' && (body[prefix + 1] == u'x' || body[prefix + 1] == u'X'))
            prefix += 2;
        out.append(body.substr(0, prefix));
        out.append(fill, u'0');
        out.append(body.substr(prefix));
    } else {
        out.append(fill, u' ');
        out.append(body);
    }
}

std::u16string Widen(const char* s) {
    std::u16string r;
    for (; *s; ++s) r.push_back(static_cast<unsigned char>(*s));
    return r;
}

std::u16string FormatInteger(const QelFormatArg& a, char conv, const Directive& directive) {
    const bool isSigned = (conv == 'd' || conv == 'i');
    std::uint64_t magnitude;
    bool negative = false;
    if (a.kind == QelFormatArg::Kind::Double) {
        const double d = a.d;
        negative = isSigned && d < 0;
        magnitude = static_cast<std::uint64_t>(negative ? -d : d);
    } else if (isSigned) {
        negative = a.kind == QelFormatArg::Kind::Int && a.i < 0;
        magnitude = negative ? (0 - static_cast<std::uint64_t>(a.i)) : static_cast<std::uint64_t>(a.i);
        if (a.kind == QelFormatArg::Kind::UInt) magnitude = a.u;
    } else {
        // Unsigned conversions of a negative int print its 32-bit pattern, as printf does.
        if (a.kind == QelFormatArg::Kind::Int && a.i < 0 && a.i >= INT32_MIN)
            magnitude = static_cast<std::uint32_t>(static_cast<std::int32_t>(a.i));
        else
            magnitude = a.u;
    }
    const int base = (conv == 'x' || conv == 'X') ? 16 : (conv == 'o' ? 8 : 10);
    const char* digits = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string body;
    while (magnitude) {
        body.push_back(static_cast<char16_t>(digits[magnitude % static_cast<unsigned>(base)]));
        magnitude /= static_cast<unsigned>(base);
    }
    if (directive.precision >= 0) {
        while (static_cast<int>(body.size()) < directive.precision) body.push_back(u'0');
    } else if (body.empty()) {
        body.push_back(u'0');
    }
    if (directive.alt && base == 16 && !body.empty()) {
        body.push_back(conv == 'X' ? u'X' : u'x');
        body.push_back(u'0');
    }
    if (negative) body.push_back(u'-');
    else if (isSigned && directive.plus) body.push_back(u'+');
    else if (isSigned && directive.space) body.push_back(u' ');
    std::reverse(body.begin(), body.end());
    return body;
}

std::u16string FormatDouble(const QelFormatArg& a, char conv, const Directive& directive) {
    const double v = a.kind == QelFormatArg::Kind::Double ? a.d
               : a.kind == QelFormatArg::Kind::Int  ? static_cast<double>(a.i)
                                                    : static_cast<double>(a.u);
    char fmt[16];
    int k = 0;
    fmt[k++] = '%';
    if (directive.plus) fmt[k++] = '+';
    if (directive.space) fmt[k++] = ' ';
    if (directive.alt) fmt[k++] = '#';
    fmt[k++] = '.';
    fmt[k++] = '*';
    fmt[k++] = conv;
    fmt[k] = 0;
    char buf[512];  // enough for %f of the largest double at the capped precision
    const int precision = directive.precision < 0 ? 6 : std::min(directive.precision, 100);
    // Always a '.' decimal point: QApplication adopts the user's numeric
    // locale, and stored texts (borders, JSON) must not depend on it.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(cLocale);
    std::snprintf(buf, sizeof buf, fmt, precision, v);
    uselocale(previous);
    return Widen(buf);
}

}  // namespace

QelString& QelString::FormatArgs(const char16_t* format, const QelFormatArg* args, std::size_t count) {
    std::u16string out;
    std::size_t next = 0;
    const auto take = [&]() -> const QelFormatArg* { return next < count ? &args[next++] : nullptr; };
    const std::size_t limit = kFormatLimit;
    for (const char16_t* p = format ? format : u""; *p && out.size() < limit; ++p) {
        if (*p != u'%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == u'%') {
            out.push_back(u'%');
            continue;
        }
        Directive directive;
        for (;; ++p) {
            if (*p == u'-') directive.left = true;
            else if (*p == u'+') directive.plus = true;
            else if (*p == u' ') directive.space = true;
            else if (*p == u'0') directive.zero = true;
            else if (*p == u'#') directive.alt = true;
            else break;
        }
        if (*p == u'*') {
            const QelFormatArg* a = take();
            directive.width = a ? static_cast<int>(a->i) : 0;
            if (directive.width < 0) directive.left = true, directive.width = -directive.width;
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9') directive.width = std::max(directive.width, 0) * 10 + (*p++ - u'0');
        }
        if (*p == u'.') {
            ++p;
            directive.precision = 0;
            if (*p == u'*') {
                const QelFormatArg* a = take();
                directive.precision = a ? static_cast<int>(a->i) : 0;
                if (directive.precision < 0) directive.precision = -1;
                ++p;
            } else {
                while (*p >= u'0' && *p <= u'9') directive.precision = directive.precision * 10 + (*p++ - u'0');
            }
        }
        directive.width = std::min(directive.width, kFormatLimit);
        directive.precision = std::min(directive.precision, kFormatLimit);
        while (*p == u'l' || *p == u'h' || *p == u'z' || *p == u'j' || *p == u't' || *p == u'L' || *p == u'I' ||
               *p == u'6' || *p == u'4' || *p == u'3' || *p == u'2')
            ++p;  // length modifiers carry no meaning with typed arguments
        if (!*p) break;
        const char conv = static_cast<char>(*p);
        const QelFormatArg* a = take();
        static const QelFormatArg kMissing(0);
        if (!a) a = &kMissing;
        switch (conv) {
            case 's':
            case 'S': {
                std::u16string_view text = a->kind == QelFormatArg::Kind::Text ? a->text : std::u16string_view();
                if (directive.precision >= 0 && static_cast<std::size_t>(directive.precision) < text.size())
                    text = text.substr(0, static_cast<std::size_t>(directive.precision));
                Pad(out, text, directive, false);
                break;
            }
            case 'c':
            case 'C': {
                const char16_t c = static_cast<char16_t>(a->kind == QelFormatArg::Kind::Char ? a->u : a->u);
                Pad(out, std::u16string_view(&c, 1), directive, false);
                break;
            }
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X':
            case 'o':
                Pad(out, FormatInteger(*a, conv, directive), directive, directive.zero && !directive.left && directive.precision < 0);
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
                Pad(out, FormatDouble(*a, conv, directive), directive, directive.zero && !directive.left);
                break;
            default:  // unknown conversion: keep it as written
                out.push_back(u'%');
                out.push_back(*p);
                break;
        }
    }
    if (out.size() > limit) out.resize(limit);
    m_text = std::move(out);
    m_set = true;
    DropUtf8Cache();
    return *this;
}
