#include "QelHttpTypes.h"

namespace qel::http {
const char16_t* ReqTypeName(int reqtype) {
    static const char16_t* const kNames[] = {u"GET", u"POST", u"PUT", u"DELETE"};
    return reqtype >= 0 && reqtype < 4 ? kNames[reqtype] : u"";
}

const char16_t* DataTypeName(int datatype) {
    static const char16_t* const kNames[] = {u"String", u"Json", u"Xml", u"File"};
    return datatype >= 0 && datatype < 4 ? kNames[datatype] : u"";
}

QelString ErrorDocument(int result) {
    const char16_t* kFormat = u"{\"lang\":\"kr\", \"msg\":\"%s\", \"msgcode\":\"%d\", \"nextflag\":\"L\"}";
    switch (result) {
    case kUrlEmpty: return QelString::Formatted(kFormat, u"URL Not Found!", result);
    case kBadParameter: return QelString::Formatted(kFormat, u"Request Parameter Error!", result);
    case kOpenFailed: return QelString::Formatted(kFormat, u"URL Open Error!", result);
    case kWriteFailed:
    case kTooLarge:
    case kNoResponse: return QelString::Formatted(kFormat, u"Response Data Error!", result);
    default: return QelString(u"");
    }
}

QelString JsonQuoted(const QelString& text) {
    static const char16_t kHex[] = u"0123456789abcdef";
    std::u16string out(1, u'"');
    for (char16_t c : text.view()) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c < 0x20) {
            out += u"\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    out += u'"';
    return QelString(std::move(out));
}

QelString BuildDescriptor(const _tag_HttpRequestInfo& info) {
    // Formatted pieces would be cut at the format limit; the descriptor is joined instead.
    QelString text = QelString::Formatted(u"{\"reqidx\":%d,\"baseurl\":", info.reqidx);
    text.Append(JsonQuoted(info.baseUrl));
    text.Append(u",\"headinfo\":").Append(JsonQuoted(info.headInfo));
    text.Append(u",\"httpconhead\":").Append(JsonQuoted(info.httpConHead));
    text.Append(u",\"reqtype\":").Append(JsonQuoted(QelString(ReqTypeName(info.reqtype))));
    text.Append(u",\"datatype\":").Append(JsonQuoted(QelString(DataTypeName(info.datatype))));
    text.Append(u",\"onlyreturn\":").Append(JsonQuoted(info.onlyReturn));
    text.Append(u"}");
    return text;
}
}  // namespace qel::http
