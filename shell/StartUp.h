#pragma once

#include "base/Window.h"

#include <QString>

namespace plumark {

class MainForm;

inline constexpr auto ProductName = "Plumark";
inline constexpr auto MakerWebSite = "https://www.kestrova.com/plumark";

// Loads the skin x/o.cjs from the program folder when it is a regular,
// non-hidden file; otherwise does nothing.
void ApplySkin(MainForm& form);

// The application title made from a product name: cut before its last blank,
// again while longer than 40 characters. A name without a blank stays whole.
QString appTitleFrom(const QString& productName);
// Makes appTitleFrom(ProductName) the application title.
void SetAppTitle(Window& window);

// On one start in a hundred (the seventh of 100 equal draws) opens the maker's site.
void OpenWebSiteSometimes(MainForm& form);

// The desktop folder that the user's XDG settings name, when it exists, else
// the home folder, followed by "/". Raises Failure when neither is known.
QString DefaultOutputFolder();
// The same for given desktop and home locations (empty: none known).
QString outputFolderFor(const QString& desktop, const QString& home);

} // namespace plumark
