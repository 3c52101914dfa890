#include "CQelImgMngr.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>

#include "CQelDirMng.h"
#include "QelQtConvert.h"

namespace {
CQelImgMngr* g_imgMngr = nullptr;
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
        auto image = std::make_unique<QImage>(ToQString(path), "PNG");
        it = m_images.emplace(path, std::move(image)).first;
    }
    return it->second.get();
}

int CQelImgMngr::SetButtonImage(QAbstractButton* button, const QelString& name, int style) {
    if (!button) return 0;
    const QImage* image = GetImage(name);
    if (image->isNull()) {
        button->setIcon(QIcon());
    } else {
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
