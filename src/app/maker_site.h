// The maker's web site: opened by the banner and by "Is there a new version?",
// and named on the banner itself and in the help file.
#pragma once

namespace velt {

constexpr const char* kMakerSite = "https://velt.example.org/";

} // namespace velt
