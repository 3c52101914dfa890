#include "QelOpError.h"

#include <cstring>

namespace qel {

QelString ReasonText(int reason) {
    switch (reason) {
        case 0: return QelString(u"");
        case kReasonLinkOnPath: return QelString(u"a folder on its path has been replaced by a link");
        case kReasonNotBeneathRoot: return QelString(u"it does not lie below the searched folder");
        case kReasonTargetInsideItem: return QelString(u"the destination lies inside the folder itself");
        case kReasonTargetHoldsItem: return QelString(u"the target is the folder itself or a folder that holds it");
        case kReasonOtherFileSystem: return QelString(u"a folder inside it lies on another file system");
        case kReasonChangedDuringMove: return QelString(u"entries added or changed during the move stay in the source");
        case kReasonCancelled: return QelString(u"cancelled");
        default: return QelString::FromUtf8(std::strerror(reason));
    }
}

}  // namespace qel
