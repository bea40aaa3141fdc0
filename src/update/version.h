// The program's own version and build, and the built-in address of the download server.
// The update check compares the first two with the server's version file; the About box shows
// them.
#pragma once

#include <string_view>

namespace zelvan {

inline constexpr std::u16string_view kProgramVersion = u"1.0";
inline constexpr std::u16string_view kProgramBuild = u"0317";

// Base address of the download server (no trailing "/"): the version file is base + "/wm.ver"
// and the package a version file names usually lies beside it as base + "/wm.db".
inline constexpr std::string_view kDefaultUpdateServer = "http://update.zelvan.cn";
inline constexpr std::string_view kVersionFilePath = "/wm.ver";
inline constexpr std::string_view kPackageFilePath = "/wm.db";

}  // namespace zelvan
