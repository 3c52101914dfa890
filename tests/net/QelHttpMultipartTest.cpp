#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "QelHttpMultipart.h"

namespace {
const QelString kB(u"B0undary0123456z");

std::string Str(const std::vector<char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string TextPart(bool first, const std::string& name, const std::string& value) {
    return std::string(first ? "" : "\r\n") + "--B0undary0123456z\r\nContent-Disposition: form-data; name=\"" + name +
           "\"\r\n\r\n" + value;
}
std::string FilePart(bool first, const std::string& name, const std::string& file, const std::string& bytes) {
    return std::string(first ? "" : "\r\n") + "--B0undary0123456z\r\nContent-Disposition: form-data; name=\"" + name +
           "\"; filename=\"" + file + "\"\r\nContent-Type: application/octect-stream\r\n\r\n" + bytes;
}
const std::string kEnd = "\r\n--B0undary0123456z--\r\n";

QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }
}  // namespace

TEST(QelHttpMultipart, BoundariesAreSixteenAlphabetCharactersAndDiffer) {
    const std::string alphabet = qel::http::kBoundaryAlphabet;
    std::set<std::u16string> seen;
    for (int i = 0; i < 200; ++i) {
        const QelString b = qel::http::MakeBoundary();
        ASSERT_EQ(b.GetLength(), 16);
        for (char16_t c : b.view()) ASSERT_NE(alphabet.find(static_cast<char>(c)), std::string::npos);
        seen.insert(b.str());
    }
    EXPECT_EQ(seen.size(), 200u);
}

// Fields go by name, then kind (text before files); unknown kinds are left
// out, and a long text value is never cut.
TEST(QelHttpMultipart, FormFieldsGoByNameThenKindAndIgnoreUnknownKinds) {
    QelTestDir dir;
    const std::string a(std::string("\0\x01zz", 4)), longValue(5000, 'v');
    WriteBytes(dir / "a.bin", a);
    WriteBytes(dir / "empty.bin", "");
    QelHttpFormFields fields;
    fields[QelString(u"b")][2] = Q(dir / "a.bin") + QelString(u"@@") + Q(dir / "empty.bin") +
                                 QelString(u"@@") + Q(dir / "missing.bin") + QelString(u"@@") + Q(dir / "a.bin");
    fields[QelString(u"b")][1] = QelString(u"one");
    fields[QelString(u"b")][7] = QelString(u"never");
    fields[QelString(u"input")][1] = Q(longValue);
    fields[QelString(u"a")][0] = QelString(u"\u00E9");
    EXPECT_EQ(Str(qel::http::BuildFormBody(fields, kB)),
              TextPart(true, "a", "\xC3\xA9") + TextPart(false, "b", "one") + FilePart(false, "b", "a.bin", a) +
                  FilePart(false, "b", "a.bin", a) + TextPart(false, "input", longValue) + kEnd);
}

TEST(QelHttpMultipart, FileBodiesNameTheirPartsByHowManyPathsThereAre) {
    QelTestDir dir;
    WriteBytes(dir / "one.txt", "1st");
    WriteBytes(dir / "two.txt", "2nd\r\n");
    WriteBytes(dir / "empty", "");
    struct Case {
        std::vector<std::string> files;
        std::string body;
    } cases[] = {
        {{"one.txt"}, FilePart(true, "file", "one.txt", "1st") + kEnd},
        {{"one.txt", "two.txt"},
         FilePart(true, "file[]", "one.txt", "1st") + FilePart(false, "file[]", "two.txt", "2nd\r\n") + kEnd},
        // A path is first by its place in the list, even when an earlier one was left out.
        {{"empty", "two.txt"}, FilePart(false, "file[]", "two.txt", "2nd\r\n") + kEnd},
        {{"missing"}, kEnd},
        {{}, kEnd},
    };
    for (const Case& c : cases) {
        QelStringArray files;
        for (const std::string& f : c.files) files.Add(Q(dir / f));
        EXPECT_EQ(Str(qel::http::BuildFileBody(files, kB)), c.body) << c.files.size();
    }
}
