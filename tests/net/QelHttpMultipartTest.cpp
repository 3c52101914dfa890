#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "QelHttpMultipart.h"

namespace {
const QelString kB(u"B0undary0123456z");
const std::string kEnd = "\r\n--B0undary0123456z--\r\n";

std::string Str(const std::vector<char>& bytes) { return std::string(bytes.begin(), bytes.end()); }
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

// One part; file is empty for a text part.
std::string Part(bool first, const std::string& name, const std::string& bytes, const std::string& file = "") {
    return std::string(first ? "" : "\r\n") + "--B0undary0123456z\r\nContent-Disposition: form-data; name=\"" + name + "\"" +
           (file.empty() ? "" : "; filename=\"" + file + "\"\r\nContent-Type: application/octect-stream") + "\r\n\r\n" + bytes;
}
}  // namespace

// 200 draws differ, are 16 characters long, and use every character of the alphabet and no other.
TEST(QelHttpMultipart, BoundariesAreSixteenAlphabetCharactersAndDiffer) {
    const std::string alphabet = qel::http::kBoundaryAlphabet;
    std::set<std::u16string> seen;
    std::set<char16_t> used;
    for (int i = 0; i < 200; ++i) {
        const QelString b = qel::http::MakeBoundary();
        EXPECT_TRUE(seen.insert(b.str()).second && b.GetLength() == 16) << b.ToStdString();
        used.insert(b.view().begin(), b.view().end());
    }
    EXPECT_EQ(used, std::set<char16_t>(alphabet.begin(), alphabet.end()));
}

// Form fields go by name, then kind (text before files); unknown kinds are
// left out, a long text value is never cut, and unreadable or empty files
// make no part. A file body names its parts by how many paths there are.
TEST(QelHttpMultipart, BodiesHoldTheirPartsInOrderAndLeaveOutWhatCannotBeSent) {
    QelTestDir dir;
    const std::string a(std::string("\0\x01zz", 4)), longValue(5000, 'v');
    WriteBytes(dir / "a.bin", a);
    WriteBytes(dir / "two.txt", "2nd\r\n");
    WriteBytes(dir / "empty", "");
    QelHttpFormFields fields;
    fields[QelString(u"b")][2] = Q(dir / "a.bin") + QelString(u"@@") + Q(dir / "empty") + QelString(u"@@") +
                                 Q(dir / "missing.bin") + QelString(u"@@") + Q(dir / "a.bin");
    fields[QelString(u"b")][1] = QelString(u"one");
    fields[QelString(u"b")][7] = QelString(u"never");
    fields[QelString(u"input")][1] = Q(longValue);
    fields[QelString(u"a")][0] = QelString(u"\u00E9");
    EXPECT_EQ(Str(qel::http::BuildFormBody(fields, kB)), Part(true, "a", "\xC3\xA9") + Part(false, "b", "one") +
                                                           Part(false, "b", a, "a.bin") + Part(false, "b", a, "a.bin") +
                                                           Part(false, "input", longValue) + kEnd);
    const struct { std::vector<std::string> files; std::string body; } cases[] = {
        {{"a.bin"}, Part(true, "file", a, "a.bin") + kEnd},
        {{"a.bin", "two.txt"}, Part(true, "file[]", a, "a.bin") + Part(false, "file[]", "2nd\r\n", "two.txt") + kEnd},
        // A path is first by its place in the list, even when an earlier one was left out.
        {{"empty", "two.txt"}, Part(false, "file[]", "2nd\r\n", "two.txt") + kEnd}, {{"missing"}, kEnd}, {{}, kEnd},
    };
    for (const auto& c : cases) {
        QelStringArray files;
        for (const std::string& f : c.files) files.Add(Q(dir / f));
        EXPECT_EQ(Str(qel::http::BuildFileBody(files, kB)), c.body) << c.files.size();
    }
}
