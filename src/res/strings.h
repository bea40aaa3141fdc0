// The program's string table: string id -> text.
#pragma once

#include <string_view>

namespace zelvan::res {

// The text of string `id` (resource_ids.h); empty for an id the table does not hold.
std::u16string_view resourceString(int id);

}  // namespace zelvan::res
