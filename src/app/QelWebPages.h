#pragma once
// The web pages the main window opens: the manual shipped with the program,
// the developer's page and the donation page.

#include "QelString.h"

namespace qel {

inline constexpr char16_t kDeveloperBlogAddress[] = u"https://corvane.example.org/blog";
inline constexpr char16_t kDonationAddress[] = u"https://corvane.example.org/donate";

// The manual's file, "res/manual/index.html" in the program folder.
QelString ManualPagePath();
// The manual as a file:// address when the regular-file reader serves it (a
// FIFO there would hang the browser that opens it); otherwise empty, with
// the reason in why.
QelString ManualPageAddress(QelString& why);

}  // namespace qel
