#pragma once

#include <QIcon>
#include <QImage>

// The program's icon, drawn from the same SVG as the desktop menu's, so the
// window, the about box and the menu show one picture.

// The pixel sizes the desktop's icon theme keeps (hicolor), smallest first.
inline constexpr int kProgramIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon drawn at size x size pixels on a transparent background; a null
// image if the picture is missing.
QImage ProgramIconImage(int size);

// Every size of kProgramIconSizes.
QIcon ProgramIcon();
