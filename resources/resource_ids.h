// The ids of the executable's resources, for resources/Marrowbell.rc and for the C++ that loads
// them: plain defines, since the resource compiler reads this file too.
#pragma once

// The program's icon. Explorer, the taskbar and Alt+Tab show a program's first icon group, which
// is the one with the lowest id.
#define MB_ICON_APP 1
