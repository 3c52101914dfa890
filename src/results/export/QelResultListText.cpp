#include "QelResultListText.h"

#include <charconv>

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

// Appends text as UTF-8 with each LF stored as CR LF.
void AppendWithCrLf(std::string& out, std::u16string_view text) {
    const std::size_t start = out.size();
    AppendUtf16AsUtf8(out, text);
    if (out.find('\n', start) == std::string::npos) return;  // the usual case: no line feed in a name
    std::string converted;
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == '\n') converted.push_back('\r');
        converted.push_back(out[i]);
    }
    out.replace(start, std::string::npos, converted);
}

}  // namespace

std::string MakeResultListText(std::size_t count, const QelPathAt& pathAt, const QelLineSink& onLine) {
    const int digits = DecimalDigits(count);
    std::string text;
    text.reserve(kHeader.size() + 2 + count * 96);
    text.append(kHeader).append("\r\n");
    std::u16string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string_view path = pathAt(i);
        const std::size_t lineStart = text.size();
        AppendNumber(text, i, digits);
        if (onLine) {
            line = Utf8ToUtf16(std::string_view(text).substr(lineStart));
            onLine(line.append(path));
        }
        AppendWithCrLf(text, path);
        text.append("\r\n");
    }
    return text;
}

}  // namespace qel
