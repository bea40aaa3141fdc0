// Fixed addresses of the product. Every recommended-download link must lead into the mobile site.
#pragma once

#include <string_view>

namespace zelvan {

// The product's mobile homepage; 21 characters, the prefix every ads.txt link must carry.
inline constexpr std::u16string_view kMobileSiteAddress = u"http://m.zelvan.cn/mp";
// The product's web homepage.
inline constexpr std::u16string_view kHomepageAddress = u"http://www.zelvan.cn";

}  // namespace zelvan
