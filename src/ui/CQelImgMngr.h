#pragma once
// The program's PNG images from "res/img" beside the program, loaded once and
// handed out by file name, as button pictures: each is decoded straight to fit
// in kMaxPictureSide x kMaxPictureSide, so neither the cache nor a button ever
// holds more. A file that is missing, not a regular file, over the size limit
// of qel::ReadRegularFile, larger than kMaxImageSide in either direction or
// not a PNG is tried once, logged, and its image stays null.

#include <QImage>
#include <map>
#include <memory>

#include "QelString.h"

class QAbstractButton;

class CQelImgMngr {
public:
    // Larger images are refused before they are decoded.
    static constexpr int kMaxImageSide = 4096;
    // Pictures are scaled down, keeping their proportions, to fit this square.
    static constexpr int kMaxPictureSide = 128;

    static CQelImgMngr* GetInstance();
    static void DeleteInstance();
    virtual ~CQelImgMngr();

    // The picture of that file name, owned by the cache; a null QImage (never
    // a null pointer) when the file is not served.
    const QImage* GetImage(const QelString& name);
    // Full path the image of that name is loaded from.
    static QelString GetImagePath(const QelString& name);

    // Puts the image on a push or tool button and empties the button's text.
    // style 2 draws a flat button that rises under the mouse, 3 a button with no
    // frame (the image alone). 0 for a null button, else 1, even when the image
    // is missing: the button then shows no picture.
    int SetButtonImage(QAbstractButton* button, const QelString& name, int style);

    // Number of images cached (tests).
    int GetCachedCount() const { return static_cast<int>(m_images.size()); }

protected:
    CQelImgMngr() = default;

private:
    std::map<QelString, std::unique_ptr<QImage>> m_images;  // by full path
};
