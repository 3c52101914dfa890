#include "QelWebPages.h"

#include <QUrl>

#include "CQelDirMng.h"
#include "QelQtConvert.h"

namespace qel {

QelString ManualPageAddress() {
    const QelString path = CQelDirMng::GetInstance()->GetSubPath(u"res/manual", u"index.html", false);
    return FromQString(QUrl::fromLocalFile(ToQString(path)).toString(QUrl::FullyEncoded));
}

}  // namespace qel
