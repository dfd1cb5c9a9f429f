// Fixed texts of the wizard and of start-up.
#pragma once

#include "instutils/InstUtils.h"

inline constexpr char DamagedSetupText[] =
    "The setup program is damaged: the files it carries cannot be read.\r"
    "Please download the setup program again.";
