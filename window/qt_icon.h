// The window's icon: the picture of packaging/zelquin.svg, which the package
// installs for the desktop, drawn by the program itself so that it needs no
// SVG support and shows in a build folder too.
#pragma once

#include <QIcon>

namespace zelquin::qt {

QIcon ZelquinIcon();

}  // namespace zelquin::qt
