#include "QelResultListText.h"

#include <charconv>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qel {

namespace {

constexpr std::string_view kHeader = "Result List";

// "[%.*d] " for index with digits of precision.
void AppendNumber(std::string& out, std::size_t index, int digits) {
    char number[24];
    const auto end = std::to_chars(number, number + sizeof number, index).ptr;
    const int length = static_cast<int>(end - number);
    out.push_back('[');
    if (length < digits) out.append(static_cast<std::size_t>(digits - length), '0');
    out.append(number, end).append("] ");
}

int DecimalDigits(std::size_t n) {
    int digits = 1;
    for (; n >= 10; n /= 10) ++digits;
    return digits;
}

// Copies the leading characters of text that are ASCII but no line feed to
// out as bytes; returns how many. Eight at a time where the processor can.
std::size_t CopyPlainAscii(std::u16string_view text, char* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i highBits = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i lineFeed = _mm_set1_epi16(u'\n');
    for (; i + 8 <= text.size(); i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(units, highBits), _mm_setzero_si128());
        const __m128i plain = _mm_andnot_si128(_mm_cmpeq_epi16(units, lineFeed), ascii);
        if (_mm_movemask_epi8(plain) != 0xFFFF) break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(units, units));
    }
#endif
    for (; i < text.size() && text[i] < 0x80 && text[i] != u'\n'; ++i) out[i] = static_cast<char>(text[i]);
    return i;
}

// Appends text as UTF-8 with each LF stored as CR LF.
void AppendWithCrLf(std::string& out, std::u16string_view text) {
    // Plain ASCII without a line feed, nearly every path, goes over in one tight pass.
    const std::size_t at = out.size();
    out.resize(at + text.size());
    const std::size_t i = CopyPlainAscii(text, out.data() + at);
    out.resize(at + i);
    if (i == text.size()) return;

    const std::size_t start = out.size();
    AppendUtf16AsUtf8(out, text.substr(i));
    if (out.find('\n', start) == std::string::npos) return;
    std::string converted;
    for (std::size_t k = start; k < out.size(); ++k) {
        if (out[k] == '\n') converted.push_back('\r');
        converted.push_back(out[k]);
    }
    out.replace(start, std::string::npos, converted);
}

}  // namespace

bool ProduceResultListText(std::size_t count, const QelPathAt& pathAt, const QelTextSink& sink,
                           const QelLineSink& onLine) {
    const int digits = DecimalDigits(count);
    std::string piece;
    piece.reserve(kTextPieceSize + 4096);
    piece.append(kHeader).append("\r\n");
    std::u16string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string_view path = pathAt(i);
        const std::size_t lineStart = piece.size();
        AppendNumber(piece, i, digits);
        if (onLine) {
            line = Utf8ToUtf16(std::string_view(piece).substr(lineStart));
            onLine(line.append(path));
        }
        AppendWithCrLf(piece, path);
        piece.append("\r\n");
        // The same buffer again and again: fresh memory for a whole large
        // list would cost more than the writing itself.
        if (piece.size() >= kTextPieceSize) {
            if (!sink(piece)) return false;
            piece.clear();
        }
    }
    return piece.empty() || sink(piece);
}

std::string MakeResultListText(std::size_t count, const QelPathAt& pathAt, const QelLineSink& onLine) {
    std::string text;
    ProduceResultListText(
        count, pathAt,
        [&text](std::string_view piece) {
            text.append(piece);
            return true;
        },
        onLine);
    return text;
}

}  // namespace qel
