// The program registered for a file type, looked up in a desktop set up by the
// test alone: its own XDG folders with one .desktop file and a mimeapps.list,
// and the system's MIME type database.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CQelWinUtilFunc.h"
#include "QelTreeText.h"

namespace {
class AssocDesktop : public testing::Environment {
public:
    void SetUp() override {
        viewer = m_dir / "bin/qel-viewer";
        // The type database only; no system programs can answer.
        MakeTree(m_dir.path(), {"system/mime->/usr/share/mime", "config/", "bin/qel-viewer=#!/bin/sh\n",
                                "data/applications/qel-viewer.desktop=[Desktop Entry]\nType=Application\nName=Qel Viewer\nExec=" + viewer +
                                    " %f\nMimeType=text/plain;text/html;\n",
                                "data/applications/mimeapps.list=[Default Applications]\ntext/plain=qel-viewer.desktop\ntext/html=qel-viewer.desktop\n"});
        ::chmod(viewer.c_str(), 0755);
        for (const auto& [name, leaf] : {std::pair{"XDG_DATA_HOME", "data"}, {"XDG_DATA_DIRS", "system"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_CONFIG_DIRS", "config"}})
            ::setenv(name, (m_dir / leaf).c_str(), 1);
    }

    static inline std::string viewer;

private:
    QelTestDir m_dir;
};

const auto* const g_desktop = testing::AddGlobalTestEnvironment(new AssocDesktop);

std::uint32_t Query(const char16_t* association, std::u16string& text, std::uint32_t& length) {
    std::u16string buffer(length ? length : 1, u'#');
    const std::uint32_t status = CQelWinUtilFunc::GetInstance()->_AssocQueryString(association, buffer.data(), &length);
    text = buffer.c_str();
    return status;
}
}  // namespace

// The type's default program, or none; too small a buffer is cleared and
// told the size needed, never given a cut path; an empty or missing
// association or length is refused as "not found" and the buffer left alone.
TEST(AssocQueryString, FindsTheDefaultProgramForTheExtensionsTypeOrNone) {
    const std::u16string viewer = QelString::FromFileName(AssocDesktop::viewer).str();
    const struct { const char16_t* association; std::uint32_t length, status, lengthAfter; std::u16string text; } cases[] = {
        {u".txt", 776, 0, std::uint32_t(viewer.size() + 1), viewer}, {u".html", 776, 0, std::uint32_t(viewer.size() + 1), viewer},
        {u".txt", 4, 0x80004003u, std::uint32_t(viewer.size() + 1), u""}, {u".xlsx", 776, 0x80070483u, 776, u""},
        {u".qelnoprogram", 776, 0x80070483u, 776, u""}, {u"", 1, 0x80070002u, 1, u"#"}, {nullptr, 1, 0x80070002u, 1, u"#"},
        {u".txt", 0, 0x80070002u, 0, u"#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QelString(c.association ? c.association : u"(null)").ToStdString() + " " + std::to_string(c.length));
        std::u16string text;
        std::uint32_t length = c.length;
        EXPECT_EQ(Query(c.association, text, length), c.status);
        EXPECT_EQ(text, c.text);
        EXPECT_TRUE(c.status == 0x80070483u || length == c.lengthAfter) << length;
    }
}
