#include "CQelJSONFileMng.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CQelDirMng.h"
#include "CQelFile.h"
#include "CQelLogMng.h"
#include "QelAtomicFile.h"
#include "QelJsonBounds.h"
#include "QelJsonParse.h"
#include "QelLastLink.h"
#include "QelJsonText.h"

namespace {

// One element of a dotted path: a member name and, for "name[3]", an index.
struct PathStep {
    std::string member;
    bool hasIndex = false;
    long long index = 0;
};

PathStep ParseStep(const QelString& element) {
    PathStep step;
    const int open = element.Find(u'[');
    const int close = element.ReverseFind(u']');
    if (open < 0 || close <= 0) {
        step.member = element.ToStdString();
        return step;
    }
    step.member = element.Left(open).ToStdString();
    step.hasIndex = true;
    const QelString digits = close > open ? element.Mid(open + 1, close - open - 1) : QelString(u"");
    step.index = std::strtoll(digits.ToStdString().c_str(), nullptr, 10);
    return step;
}

// Walks path from root with inserting access. make: null nodes on the way
// become containers and the last node is returned even when null; otherwise
// the walk ends with nullptr at the first null node. A node of another type
// where a container is needed ends a lookup, and is replaced when making.
Json::Value* Walk(Json::Value* node, const QelString& path, bool make) {
    QelStringArray elements;
    QelString::Split(path, u".", elements);
    for (const QelString& element : elements) {
        const PathStep step = ParseStep(element);
        if (step.hasIndex && step.index < 0) return nullptr;  // no element can be there
        if (!node->isNull() && !node->isObject()) {
            if (!make) return nullptr;
            *node = Json::Value(Json::objectValue);
        }
        node = &(*node)[step.member];
        if (!make && node->isNull()) return nullptr;
        if (!step.hasIndex) continue;
        if (!node->isNull() && !node->isArray()) {
            if (!make) return nullptr;
            *node = Json::Value(Json::arrayValue);
        }
        node = &(*node)[static_cast<Json::ArrayIndex>(step.index)];
        if (!make && node->isNull()) return nullptr;
    }
    return node;
}

// Reads one settings file into tree. A file that cannot be read leaves the
// tree as it was; one that does not parse leaves it null.
CQelJSONFileMng::UserFile ReadTree(const QelString& path, Json::Value& tree, QelString& reason) {
    reason = QelString(u"");
    std::string text;
    const qel::QelFileReadResult read = CQelFile::ReadText(path, 0, text);
    if (read.Unreadable()) {
        reason = qel::DescribeFileRead(read);
        CQelLogMng::GetInstance()->Write(u"\"%s\" Json Read Failed: %s", path, reason);
        return CQelJSONFileMng::UserFile::kUnreadable;
    }
    if (text.empty()) return CQelJSONFileMng::UserFile::kAbsent;
    // Refused before parsing: the tree of a file within the size cap could
    // still take gigabytes.
    const qel::QelJsonBound bound = qel::CheckJsonBounds(text);
    if (bound != qel::QelJsonBound::kWithin) {
        reason = qel::DescribeJsonBound(bound);
        CQelLogMng::GetInstance()->Write(u"\"%s\" Json Read Failed: %s", path, reason);
        return CQelJSONFileMng::UserFile::kUnreadable;
    }
    std::string error;
    if (qel::ParseJsonCpp(text, tree, true, &error)) return CQelJSONFileMng::UserFile::kRead;
    reason = QelString::FromUtf8(error);
    CQelLogMng::GetInstance()->Write(u"\"%s\" Json Read Failed", path);
    return CQelJSONFileMng::UserFile::kBroken;
}

}  // namespace

Json::Value* CQelJSONFileMng::SelectTree(int tree) {
    if (tree == kConfig) return &m_config;
    if (tree == kUser) return &m_user;
    return nullptr;
}

bool CQelJSONFileMng::Load(const QelString& name) {
    const CQelDirMng* dirs = CQelDirMng::GetInstance();
    m_configState = ReadTree(dirs->GetSubPath(u"config", name, false), m_config, m_configReason);
    m_userState = ReadTree(dirs->GetSubPath(u"user", name, false), m_user, m_userReason);
    const auto ok = [](UserFile state) { return state == UserFile::kAbsent || state == UserFile::kRead; };
    return ok(m_configState) && ok(m_userState);
}

QelString CQelJSONFileMng::GetUnreadableReason() const {
    if (m_userState == UserFile::kUnreadable) return m_userReason;
    return m_configState == UserFile::kUnreadable ? m_configReason : QelString(u"");
}

bool CQelJSONFileMng::Save(const QelString& name, bool styled) {
    const QelString path = CQelDirMng::GetInstance()->GetSubPath(u"user", name, true);
    if (path.IsEmpty()) return false;
    if (m_userState == UserFile::kBroken || m_userState == UserFile::kUnreadable) {
        CQelLogMng::GetInstance()->Write(u"\"%s\" Json Write Refused: the file could not be read", path);
        return false;
    }
    if (qel::WriteFileAtomically(path, qel::WithCrLf(qel::WriteJsonText(m_user, styled)))) return true;
    const int error = errno;
    const QelString reason = error == ELOOP ? qel::DescribeLastLink(qel::JudgeLastLink(path.ToFileName()))
                                            : QelString::FromUtf8(std::strerror(error));
    CQelLogMng::GetInstance()->Write(u"\"%s\" Json Write Failed: %s", path, reason);
    return false;
}

Json::Value* CQelJSONFileMng::FindValue(const QelString& path, int tree) {
    Json::Value* root = SelectTree(tree);
    return root ? Walk(root, path, false) : nullptr;
}

Json::Value* CQelJSONFileMng::MakeValue(const QelString& path, int tree) {
    Json::Value* root = SelectTree(tree);
    return root ? Walk(root, path, true) : nullptr;
}

void CQelJSONFileMng::SetIntValue(const QelString& path, int value, int tree) {
    if (tree == kEither) tree = kUser;
    Json::Value* node = FindValue(path, tree);
    if (!node) node = MakeValue(path, tree);
    if (node) *node = Json::Value(value);
}

bool CQelJSONFileMng::GetIntValue(const QelString& path, int tree, int& out) {
    out = 0;
    Json::Value* node = nullptr;
    if (tree == kEither) {
        node = FindValue(path, kUser);
        if (!node) node = FindValue(path, kConfig);
    } else {
        node = FindValue(path, tree);
    }
    if (!node || node->type() != Json::intValue || !node->isInt()) return false;
    out = node->asInt();
    return true;
}
