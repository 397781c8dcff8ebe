// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QUrl>

namespace quorel {

// Opens a page or file with the desktop's associated program, fire and forget:
// the outcome is not looked at. A test puts an opener in its place.
class Browser {
 public:
  using Opener = std::function<void(const QUrl&)>;

  static void Open(const QUrl& url);
  static void SetOpener(Opener opener);
};

// The help page: "/quorel/help/man.html" under the base address the build
// chose, or the page installed with the program (the source tree's copy when
// the program runs from its build folder).
QUrl HelpPageUrl();

}  // namespace quorel
