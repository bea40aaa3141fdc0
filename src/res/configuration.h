// The program's built-in configuration: web addresses beyond the product's own homepages, the
// owner notice of the About box and the built-in list of recommended downloads.
#pragma once

#include <string_view>
#include <vector>

#include "db/translation.h"

namespace zelvan::res {

// The partner's mobile site named in the About box; empty while there is no partner, and the
// About box then has no partner line.
inline constexpr std::u16string_view kPartnerSiteAddress = u"";
// The one-line owner notice under the About text (label 203).
inline constexpr std::u16string_view kOwnerNotice = ZELVAN_TEXT("zelvan", "© Zelvan 保留所有权利");

struct Recommendation {
    std::u16string_view title;
    std::u16string_view link;
};

// The seven built-in recommendations, shown when the database brings no usable list; the
// seventh is the product's own software download site.
const std::vector<Recommendation>& builtInRecommendations();

}  // namespace zelvan::res
