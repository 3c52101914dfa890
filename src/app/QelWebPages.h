#pragma once
// The web pages the main window opens: the manual shipped with the program,
// the developer's page and the donation page.

#include "QelString.h"

namespace qel {

inline constexpr char16_t kDeveloperBlogAddress[] = u"https://corvane.example.org/blog";
inline constexpr char16_t kDonationAddress[] = u"https://corvane.example.org/donate";

// The manual "res/manual/index.html" of the program folder as a file:// address.
QelString ManualPageAddress();

}  // namespace qel
