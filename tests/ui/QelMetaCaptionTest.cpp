// Reading a meta caption's JSON into styled words. (What bad JSON draws: the label's tests.)
#include <gtest/gtest.h>

#include <cstdio>

#include "QelMetaCaption.h"

namespace {

// Per word "text|face|height|weight|italic underline strike-out|colour|background|charset", colours as
// 0xBBGGRR, and "/" after each paragraph; read with the defaults of a bold 15-pixel label, text 1,2,3 on 4,5,6.
std::string Words(const std::string& json) {
    QelLogFont font;
    font.lfFaceName = u"Label Face";
    font.lfHeight = -15;
    font.lfWeight = 700;
    font.lfCharSet = 129;
    QelArray<QelArray<_tag_MetaWordINfo>> paragraphs;
    if (!QelMetaCaption::Parse(QelString::FromUtf8(json), font, QelRGB(1, 2, 3), QelRGB(4, 5, 6), paragraphs)) return "refused";
    std::string words;
    for (const auto& paragraph : paragraphs) {
        for (const auto& w : paragraph) {
            const QelLogFont& f = w.font;
            char tail[64];
            std::snprintf(tail, sizeof tail, "|%d|%d|%d%d%d|%06x|%06x|%d\n", f.lfHeight, f.lfWeight, f.lfItalic,
                          f.lfUnderline, f.lfStrikeOut, w.color, w.bgcolor, f.lfCharSet);
            words += w.text.ToStdString() + "|" + f.lfFaceName.ToStdString() + tail;
        }
        words += "/\n";
    }
    return words;
}

}  // namespace

// Keys of the wrong type count as absent: only JSON true sets a flag, only strings set texts; a paragraph
// that is no array has no words, a word that is no object is an empty one. Sizes are "<n>pt" or 1 to 7
// of the size table; colours have no "#".
TEST(QelMetaCaption, WordsTakeTheirKeysOrTheLabelDefaultsButNeverItsWeightOrCharacterSet) {
    EXPECT_EQ(Words(R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF0000"}],
        [{"txt":"세계","italic":true,"line":true,"strikeout":true,"bgcolor":"00FF00","font":"Other","size":"12pt"}],
        [{"txt":5,"bold":1,"italic":"true","line":false,"size":3,"color":255,"font":"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"}],
        7, ["x"], [{"size":"7","color":"#FF0000"},{"size":"pt9"},{"size":"1"},{"size":"3"},{"size":"8"},{"size":"0"},{"size":"big"}]])"),
              "Hello |Label Face|-15|700|000|030201|060504|0\nworld|Label Face|-15|400|000|0000ff|060504|0\n/\n"
              "세계|Other|-12|400|111|030201|00ff00|0\n/\n"
              "|ABCDEFGHIJKLMNOPQRSTUVWXYZ01234|-15|400|000|030201|060504|0\n/\n"
              "/\n|Label Face|-15|400|000|030201|060504|0\n/\n"
              "|Label Face|-24|400|000|00f00f|060504|0\n|Label Face|-9|400|000|030201|060504|0\n"
              "|Label Face|-6|400|000|030201|060504|0\n|Label Face|-10|400|000|030201|060504|0\n|Label Face|0|400|000|030201|060504|0\n"
              "|Label Face|0|400|000|030201|060504|0\n|Label Face|0|400|000|030201|060504|0\n/\n");
    EXPECT_EQ(Words(R"({"txt":"a"})"), "refused");  // a word where the paragraphs belong
}
