#include "QelWebPages.h"

#include <QUrl>

#include "CQelDirMng.h"
#include "QelFileRead.h"
#include "QelQtConvert.h"

namespace qel {

QelString ManualPagePath() { return CQelDirMng::GetInstance()->GetSubPath(u"res/manual", u"index.html", false); }

QelString ManualPageAddress(QelString& why) {
    const QelString path = ManualPagePath();
    std::string page;
    const QelFileReadResult read = ReadRegularFile(path, page);
    if (!read.Ok()) {
        why = DescribeFileRead(read);
        return QelString(u"");
    }
    return FromQString(QUrl::fromLocalFile(ToQString(path)).toString(QUrl::FullyEncoded));
}

}  // namespace qel
