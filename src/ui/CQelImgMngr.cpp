#include "CQelImgMngr.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include "CQelDirMng.h"
#include "CQelLogMng.h"
#include "QelFileRead.h"
#include "QelQtConvert.h"

namespace {
CQelImgMngr* g_imgMngr = nullptr;

// Reads the PNG at path through the regular-file reader (a FIFO or a device
// planted in the image folder must not hang the window), refuses one larger
// than the side limit before decoding it and decodes the rest straight to
// the picture size. Null, with the reason logged, when the file is not served.
QImage LoadPicture(const QelString& path) {
    CQelLogMng* log = CQelLogMng::GetInstance();
    std::string bytes;
    const qel::QelFileReadResult read = qel::ReadRegularFile(path, bytes);
    if (!read.Ok()) {
        log->Write(u"Image \"%s\" not loaded: %s", path, qel::DescribeFileRead(read));
        return QImage();
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "PNG");
    const QSize size = reader.size();
    if (size.width() > CQelImgMngr::kMaxImageSide || size.height() > CQelImgMngr::kMaxImageSide) {
        log->Write(u"Image \"%s\" not loaded: %d x %d is larger than %d x %d", path, size.width(), size.height(),
                   CQelImgMngr::kMaxImageSide, CQelImgMngr::kMaxImageSide);
        return QImage();
    }
    const QSize box(CQelImgMngr::kMaxPictureSide, CQelImgMngr::kMaxPictureSide);
    if (size.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) log->Write(u"Image \"%s\" not loaded: %s", path, FromQString(reader.errorString()));
    return image;
}
}  // namespace

CQelImgMngr* CQelImgMngr::GetInstance() {
    struct Maker : CQelImgMngr {};
    if (!g_imgMngr) g_imgMngr = new Maker;
    return g_imgMngr;
}

void CQelImgMngr::DeleteInstance() {
    delete g_imgMngr;
    g_imgMngr = nullptr;
}

CQelImgMngr::~CQelImgMngr() = default;

QelString CQelImgMngr::GetImagePath(const QelString& name) {
    return CQelDirMng::GetInstance()->GetSubPath(u"res/img", name, false);
}

const QImage* CQelImgMngr::GetImage(const QelString& name) {
    const QelString path = GetImagePath(name);
    auto it = m_images.find(path);
    if (it == m_images.end()) {
        // Cached even when the load fails, so a missing file is tried once.
        it = m_images.emplace(path, std::make_unique<QImage>(LoadPicture(path))).first;
    }
    return it->second.get();
}

int CQelImgMngr::SetButtonImage(QAbstractButton* button, const QelString& name, int style) {
    if (!button) return 0;
    const QImage* image = GetImage(name);
    if (image->isNull()) {
        button->setIcon(QIcon());
    } else {
        // The button holds one pixmap of the size it shows, no larger.
        button->setIcon(QIcon(QPixmap::fromImage(*image)));
        button->setIconSize(image->size());
    }
    // 2: flat, raised under the mouse; 3: no frame at all, the picture alone.
    if (auto* push = qobject_cast<QPushButton*>(button)) push->setFlat(style >= 2);
    if (auto* tool = qobject_cast<QToolButton*>(button)) tool->setAutoRaise(style >= 2);
    if (style == 3) button->setStyleSheet(QStringLiteral("border: none; background: transparent;"));
    button->setProperty("qelButtonStyle", style);
    button->setText(QString());
    return 1;
}
